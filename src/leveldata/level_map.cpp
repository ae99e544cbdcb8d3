#include "leveldata/level_map.h"

#include <cassert>

namespace morvane {

LevelMap::LevelMap() {
    m_cells.fill(0);
    for (int index = kCellCount; index < kStorageSize; ++index) {
        m_cells[std::size_t(index)] = kSentinel;
    }
}

void LevelMap::setCell(int index, std::uint8_t tile) {
    assert(index >= 0 && index < kCellCount);
    assert(tile < kTileCount);
    m_cells[std::size_t(index)] = tile;
}

}  // namespace morvane
