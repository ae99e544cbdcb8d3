#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "leveldata/level_bank.h"
#include "leveldata/level_map.h"
#include "picture/picture.h"
#include "picture/tile_set.h"

namespace morvane {

class LevelDocument;

// The rows of the level list's drop-down: for each level of the bank its small picture and its
// packed size, as the file holds the level, except the shown level while it has unsaved edits,
// whose row shows the edits. Pictures are drawn only when a row is asked for and kept; refresh()
// reads the bank again and drops only the pictures of levels whose streams changed.
class LevelListPictures {
public:
    struct Row {
        // Level 1..99 as the list names it.
        QString number;
        // kSmallPictureWidth x kSmallPictureHeight: the level, or the marked empty box.
        QImage picture;
        // "83 bytes", or "unreadable".
        QString size;
    };

    // document and tiles must outlive the pictures.
    LevelListPictures(const LevelDocument& document, TileSet& tiles);

    // Reads the bank from the document's open file. A row whose level's stream differs from the
    // one its picture was drawn from is drawn again when next asked for; the tile pictures are
    // looked up again for those. A bank that cannot be read shows every level as unreadable.
    void refresh();

    // The row of level index 0..98, drawn now if it is not yet. Before the first refresh() every
    // level shows as unreadable.
    const Row& row(int index);

    // How many level pictures have been drawn so far.
    int drawCount() const { return m_drawCount; }

    // The marked empty box of a level that cannot be read: a light box with a dark frame and
    // both diagonals crossed out.
    static QImage UnreadablePicture();

private:
    struct Entry {
        bool readable = false;
        // The stream as the file holds it; the picture was drawn from it.
        std::vector<std::uint8_t> stream;
        LevelMap map;
        bool drawn = false;
        Row row;
    };

    const std::array<Picture, LevelMap::kTileCount>& cells();
    void draw(Entry& entry, int index);
    // The small picture of map, made from the cached small cells, as the list shows it.
    QImage smallPicture(const LevelMap& map);

    const LevelDocument& m_document;
    TileSet& m_tiles;
    std::array<Entry, LevelBank::kLevelCount> m_entries;
    std::optional<std::array<Picture, LevelMap::kTileCount>> m_cells;
    // The shown level's edited map and the row drawn from it.
    std::optional<LevelMap> m_editedMap;
    Row m_editedRow;
    int m_drawCount = 0;
};

}  // namespace morvane
