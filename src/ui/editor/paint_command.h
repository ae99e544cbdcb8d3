#pragma once

#include <QUndoCommand>
#include <cstdint>

namespace morvane {

class LevelDocument;

// One press of a brush on one cell, as an entry of the document's history. Doing it paints the
// brush's tile into the cell, undoing it paints the tile the cell held before. Both go through
// LevelDocument::paint, so each is an edit like any paint: the level is marked as unsaved and
// the caption and the cell's picture are shown again. The command only refers to the document,
// which must outlive it (the document's own history holds it).
class PaintCommand : public QUndoCommand {
public:
    // Remembers the tile cell 0..223 holds now; nothing is painted before the first redo().
    PaintCommand(LevelDocument& document, int cell, std::uint8_t tile);

    void undo() override;
    void redo() override;

private:
    LevelDocument& m_document;
    int m_cell;
    std::uint8_t m_before;
    std::uint8_t m_after;
};

}  // namespace morvane
