#include "ui/editor/paste_command.h"

#include "ui/editor/level_document.h"

namespace morvane {

PasteCommand::PasteCommand(LevelDocument& document, const LevelMap& pasted)
    : m_document(document), m_before(document.map()), m_after(pasted) {}

void PasteCommand::undo() {
    m_document.paintMap(m_before);
}

void PasteCommand::redo() {
    m_document.paintMap(m_after);
}

}  // namespace morvane
