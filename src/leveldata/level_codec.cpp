#include "leveldata/level_codec.h"

namespace morvane {

UnpackResult UnpackLevel(std::span<const std::uint8_t> bytes, LevelMap& map,
                         const std::function<void(int cell)>& cellWritten) {
    LevelMap scratch;
    int counter = 0;
    int consumed = 0;
    while (counter != LevelMap::kCellCount) {
        if (consumed == int(bytes.size())) {
            return {UnpackError::StreamEnded, consumed, consumed};
        }
        const std::uint8_t run = bytes[std::size_t(consumed)];
        const auto tile = std::uint8_t(run & 0x3F);
        const int length = (run >> 6) + 1;
        if (counter + length > LevelMap::kCellCount) {
            return {UnpackError::RunPastEnd, consumed, consumed};
        }
        ++consumed;
        for (int step = 0; step < length; ++step) {
            scratch.setCell(counter++, tile);
        }
    }
    map = scratch;
    if (cellWritten) {
        for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
            cellWritten(cell);
        }
    }
    return {UnpackError::None, consumed, 0};
}

std::vector<std::uint8_t> PackLevel(const LevelMap& map) {
    const auto cells = map.storage();
    std::vector<std::uint8_t> stream;
    stream.reserve(LevelMap::kCellCount);
    int cell = 0;
    while (cell < LevelMap::kCellCount) {
        // The sentinels after cell 223 never equal a tile, so a run cannot leave the level.
        int run = 1;
        while (run < 4 && cells[std::size_t(cell + run)] == cells[std::size_t(cell)]) {
            ++run;
        }
        stream.push_back(std::uint8_t(cells[std::size_t(cell)] + (run - 1) * 64));
        cell += run;
    }
    return stream;
}

}  // namespace morvane
