#include "ui/editor/paint_command.h"

#include "ui/editor/level_document.h"

namespace morvane {

PaintCommand::PaintCommand(LevelDocument& document, int cell, std::uint8_t tile)
    : m_document(document), m_cell(cell), m_before(document.map().cell(cell)), m_after(tile) {}

void PaintCommand::undo() {
    m_document.paint(m_cell, m_before);
}

void PaintCommand::redo() {
    m_document.paint(m_cell, m_after);
}

}  // namespace morvane
