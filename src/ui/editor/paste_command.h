#pragma once

#include <QUndoCommand>

#include "leveldata/level_map.h"

namespace morvane {

class LevelDocument;

// A whole map pasted into the shown level, as one entry of the document's history. Doing it
// paints every cell with the pasted tiles, undoing it paints the map the level held before.
// Both go through LevelDocument::paintMap, so the level is marked as unsaved exactly as a paint
// marks it. The command only refers to the document, which must outlive it.
class PasteCommand : public QUndoCommand {
public:
    // Remembers the map the document holds now; nothing is painted before the first redo().
    PasteCommand(LevelDocument& document, const LevelMap& pasted);

    void undo() override;
    void redo() override;

private:
    LevelDocument& m_document;
    LevelMap m_before;
    LevelMap m_after;
};

}  // namespace morvane
