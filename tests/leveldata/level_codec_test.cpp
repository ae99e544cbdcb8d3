#include "leveldata/level_codec.h"

#include <gtest/gtest.h>

#include <vector>

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

LevelMap MapOf(const Bytes& cells) {
    LevelMap map;
    for (int index = 0; index < LevelMap::kCellCount; ++index) {
        map.setCell(index, cells[std::size_t(index)]);
    }
    return map;
}

// Cells that never equal their neighbour: 0, 1, 0, 1, ...
Bytes Alternating() {
    Bytes cells(LevelMap::kCellCount);
    for (std::size_t index = 0; index < cells.size(); ++index) {
        cells[index] = std::uint8_t(index % 2);
    }
    return cells;
}

TEST(PackLevel, PacksRunsOfUpToFourAndEndsTheLastRunAtCell223) {
    const Bytes alternating = Alternating();
    std::vector<std::pair<Bytes, Bytes>> cases = {
        {Bytes(224, 9), Bytes(56, 9 + 192)},  // equal tiles: 56 runs of four
        {alternating, alternating},           // no equal neighbours: one byte a cell
    };
    // A stretch of tile 7 from cell `start` to the end, after a cell that differs.
    for (int start = 220; start < 224; ++start) {
        Bytes cells = alternating;
        std::fill(cells.begin() + start, cells.end(), 7);
        Bytes stream(alternating.begin(), alternating.begin() + start);
        stream.push_back(std::uint8_t(7 + (223 - start) * 64));
        cases.emplace_back(cells, stream);
    }
    for (const auto& [cells, stream] : cases) {
        EXPECT_EQ(PackLevel(MapOf(cells)), stream);
    }
}

// (The fuzz replay checks, for every stream, that each cell is announced once and in order,
// and that a refused stream leaves the map as it was and announces nothing.)
TEST(UnpackLevel, DecodesRunsToCell223) {
    // 0xFF is four cells of tile 63, not an end mark; 0x45 two cells of tile 5.
    Bytes stream = {0xFF, 0x45, 0x05};
    stream.resize(stream.size() + 54, 0xC1);  // 216 cells of tile 1 reach cell 223
    stream.push_back(0x02);                   // one cell of tile 2 completes the level
    Bytes cells(224, 1);
    std::fill_n(cells.begin(), 4, 63);
    std::fill_n(cells.begin() + 4, 3, 5);
    cells[223] = 2;
    LevelMap map;
    const UnpackResult result = UnpackLevel(stream, map);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.consumed, int(stream.size()));
    EXPECT_EQ(map, MapOf(cells));
}

TEST(UnpackLevel, MalformedStreamsNameTheirErrorAndItsByte) {
    // 55 runs of four reach cell 220, a run of two cell 222; a run of four would pass 224.
    Bytes pastEnd(55, 0xC4);
    pastEnd.insert(pastEnd.end(), {0x44, 0xC4});
    const struct {
        Bytes stream;
        UnpackError error;
        int errorByte;
    } cases[] = {{pastEnd, UnpackError::RunPastEnd, 56},
                 {Bytes(10, 0xC4), UnpackError::StreamEnded, 10},  // ended after 40 cells
                 {{}, UnpackError::StreamEnded, 0}};
    for (const auto& c : cases) {
        LevelMap map;
        const UnpackResult result = UnpackLevel(c.stream, map);
        EXPECT_EQ(std::pair(result.error, result.errorByte), std::pair(c.error, c.errorByte));
    }
}

}  // namespace
}  // namespace morvane
