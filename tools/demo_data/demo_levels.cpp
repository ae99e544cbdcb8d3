#include "demo_levels.h"

#include <algorithm>
#include <cstring>

#include "bank_builder.h"
#include "leveldata/level_codec.h"

namespace morvane::demo {

namespace {

// A small linear congruential generator: the demo must be the same bytes on every run and
// every platform, which std's distributions do not promise.
class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : m_state(seed * 2654435761u + 12345u) {}
    std::uint32_t next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    int below(int bound) { return int(next() % std::uint32_t(bound)); }

private:
    std::uint32_t m_state;
};

void Put(LevelMap& map, int column, int row, std::uint8_t tile) {
    map.setCell(LevelMap::cellAt(column, row), tile);
}

std::vector<std::uint8_t> Filler(std::size_t length, std::uint32_t seed) {
    Lcg random(seed);
    std::vector<std::uint8_t> bytes(length);
    for (auto& byte : bytes) {
        byte = std::uint8_t(random.next());
    }
    return bytes;
}

}  // namespace

LevelMap MakeDemoLevel(int index) {
    Lcg random(std::uint32_t(index) + 1);
    LevelMap map;
    for (int column = 0; column < LevelMap::kColumns; ++column) {
        Put(map, column, 0, kWallTile);
        Put(map, column, LevelMap::kRows - 1, kWallTile);
    }
    for (int row = 0; row < LevelMap::kRows; ++row) {
        Put(map, 0, row, kWallTile);
        Put(map, LevelMap::kColumns - 1, row, kWallTile);
    }
    // Inner walls split the room into chambers, each with a door.
    const int walls = 1 + index % 4;
    for (int wall = 0; wall < walls; ++wall) {
        const int column = 4 + (wall + 1) * 24 / (walls + 1) + random.below(3) - 1;
        const int door = 1 + random.below(LevelMap::kRows - 2);
        for (int row = 1; row < LevelMap::kRows - 1; ++row) {
            Put(map, column, row, row == door ? std::uint8_t(2 + index % 3) : kWallTile);
        }
    }
    // Objects on the floor: keys, boxes, gems and the like, tiles 5..63.
    const int objects = 3 + index % 6;
    for (int object = 0; object < objects; ++object) {
        const int column = 1 + random.below(LevelMap::kColumns - 2);
        const int row = 1 + random.below(LevelMap::kRows - 2);
        if (map.cell(LevelMap::cellAt(column, row)) == kFloorTile) {
            Put(map, column, row, std::uint8_t(5 + random.below(59)));
        }
    }
    return map;
}

std::vector<std::uint8_t> MakeDemoBank() {
    std::vector<std::vector<std::uint8_t>> streams;
    for (int index = 0; index < 99; ++index) {
        const LevelMap map = MakeDemoLevel(index);
        streams.push_back(index % 7 == 3 ? PackInPairs(map) : PackLevel(map));
    }
    return AssembleBank(streams);
}

std::vector<std::uint8_t> MakeCartridge(const std::vector<std::uint8_t>& bank, SourceKind release) {
    std::vector<std::uint8_t> rom = Filler(131072, 0x5E6A);
    std::copy(bank.begin(), bank.end(), rom.begin() + 98304);
    const std::uint8_t header[16] = {'T',  'M',  'R',  ' ',  'S', 'E', 'G', 'A',
                                     0xFF, 0xFF, 0x3C, 0x9A, 0,   0,   0,   0};
    std::memcpy(rom.data() + 0x7FF0, header, 12);
    const std::uint8_t ue[4] = {0x15, 0x23, 0x00, 0x7F};
    const std::uint8_t j[4] = {0x17, 0x00, 0x60, 0x6F};
    std::memcpy(rom.data() + 0x7FFC, release == SourceKind::JRom ? j : ue, 4);
    return rom;
}

std::vector<std::uint8_t> MakeSavestate(const LevelMap& map) {
    std::vector<std::uint8_t> state = Filler(24779, 0x3E4A);
    std::memcpy(state.data(), "MEKA", 4);
    const auto cells = map.storage();
    std::copy(cells.begin(), cells.begin() + LevelMap::kCellCount, state.begin() + 489);
    return state;
}

std::vector<std::uint8_t> MakeSingleMap(const LevelMap& map) {
    const auto cells = map.storage();
    return {cells.begin(), cells.begin() + LevelMap::kCellCount};
}

}  // namespace morvane::demo
