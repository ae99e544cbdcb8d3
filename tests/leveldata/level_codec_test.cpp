#include "leveldata/level_codec.h"

#include <gtest/gtest.h>

#include <vector>

namespace morvane {
namespace {

LevelMap MapOf(const std::vector<std::uint8_t>& cells) {
    LevelMap map;
    for (int index = 0; index < LevelMap::kCellCount; ++index) {
        map.setCell(index, cells[std::size_t(index)]);
    }
    return map;
}

// Cells that never equal their neighbour: 0, 1, 0, 1, ...
std::vector<std::uint8_t> Alternating() {
    std::vector<std::uint8_t> cells(LevelMap::kCellCount);
    for (int index = 0; index < LevelMap::kCellCount; ++index) {
        cells[std::size_t(index)] = std::uint8_t(index % 2);
    }
    return cells;
}

TEST(PackLevel, EqualTilesGiveFiftySixRunsOfFour) {
    const LevelMap map = MapOf(std::vector<std::uint8_t>(224, 9));
    EXPECT_EQ(PackLevel(map), std::vector<std::uint8_t>(56, 9 + 192));
}

TEST(PackLevel, NoEqualNeighboursGiveOneByteACell) {
    const auto cells = Alternating();
    EXPECT_EQ(PackLevel(MapOf(cells)), cells);
}

TEST(PackLevel, LastRunAlwaysEndsAtCell223) {
    // The stretch of equal cells at the end starts at `start`; the cell before it differs.
    const struct {
        int start;
        std::uint8_t lastByte;
    } cases[] = {{220, 7 + 3 * 64}, {221, 7 + 2 * 64}, {222, 7 + 64}, {223, 7}};
    for (const auto& c : cases) {
        auto cells = Alternating();
        for (int cell = c.start; cell < 224; ++cell) {
            cells[std::size_t(cell)] = 7;
        }
        const auto stream = PackLevel(MapOf(cells));
        EXPECT_EQ(stream.back(), c.lastByte) << "stretch from cell " << c.start;
        EXPECT_EQ(std::size_t(c.start), stream.size() - 1) << "stretch from cell " << c.start;
    }
}

TEST(UnpackLevel, DecodesRunsAndAnnouncesEveryCellInOrder) {
    // 0xFF is four cells of tile 63, not an end mark; 0x45 two cells of tile 5.
    std::vector<std::uint8_t> stream = {0xFF, 0x45, 0x05};
    stream.resize(stream.size() + 54, 0xC1);  // 216 cells of tile 1 reach cell 223
    stream.push_back(0x02);                   // one cell of tile 2 completes the level
    LevelMap map;
    std::vector<int> announced;
    const UnpackResult result =
        UnpackLevel(stream, map, [&](int cell) { announced.push_back(cell); });
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.consumed, int(stream.size()));
    EXPECT_EQ(map.cell(0), 63);
    EXPECT_EQ(map.cell(3), 63);
    EXPECT_EQ(map.cell(4), 5);
    EXPECT_EQ(map.cell(5), 5);
    EXPECT_EQ(map.cell(6), 5);
    EXPECT_EQ(map.cell(7), 1);
    EXPECT_EQ(map.cell(223), 2);
    ASSERT_EQ(announced.size(), 224u);
    for (int cell = 0; cell < 224; ++cell) {
        EXPECT_EQ(announced[std::size_t(cell)], cell);
    }
    EXPECT_EQ(map.storage()[224], 255);
}

TEST(UnpackLevel, NonGreedyStreamPacksBackOneByteShorter) {
    auto cells = Alternating();
    cells[0] = cells[1] = cells[2] = cells[3] = 5;
    cells[4] = 0;
    std::vector<std::uint8_t> stream = {0x45, 0x45};
    stream.insert(stream.end(), cells.begin() + 4, cells.end());
    LevelMap map;
    ASSERT_TRUE(UnpackLevel(stream, map).ok());
    const auto repacked = PackLevel(map);
    EXPECT_EQ(repacked.size(), stream.size() - 1);
    EXPECT_EQ(repacked[0], 0xC5);
}

TEST(UnpackLevel, MalformedStreamsLeaveTheMapAndAnnounceNothing) {
    const LevelMap before = MapOf(Alternating());

    // 55 runs of four reach cell 220, a run of two cell 222; a run of four would pass 224.
    std::vector<std::uint8_t> pastEnd(55, 0xC4);
    pastEnd.push_back(0x44);
    pastEnd.push_back(0xC4);
    // The bytes run out after 40 cells.
    const std::vector<std::uint8_t> ended(10, 0xC4);

    const struct {
        const char* name;
        const std::vector<std::uint8_t>* stream;
        UnpackError error;
        int errorByte;
    } cases[] = {{"run past the end", &pastEnd, UnpackError::RunPastEnd, 56},
                 {"stream ended", &ended, UnpackError::StreamEnded, 10},
                 {"empty stream", nullptr, UnpackError::StreamEnded, 0}};
    for (const auto& c : cases) {
        LevelMap map = before;
        int announcements = 0;
        const auto bytes =
            c.stream ? std::span<const std::uint8_t>(*c.stream) : std::span<const std::uint8_t>();
        const UnpackResult result = UnpackLevel(bytes, map, [&](int) { ++announcements; });
        EXPECT_EQ(result.error, c.error) << c.name;
        EXPECT_EQ(result.errorByte, c.errorByte) << c.name;
        EXPECT_EQ(map, before) << c.name;
        EXPECT_EQ(announcements, 0) << c.name;
    }
}

TEST(PackLevel, RoundTripsEveryMapThroughUnpack) {
    std::uint32_t state = 1;
    for (int trial = 0; trial < 500; ++trial) {
        std::vector<std::uint8_t> cells(224);
        // Few distinct tiles in long stretches give runs of every length.
        const std::uint32_t spread = 1 + std::uint32_t(trial % 8);
        for (auto& cell : cells) {
            state = state * 1103515245u + 12345u;
            cell = std::uint8_t((state >> 16) % spread * (63 / spread));
        }
        const LevelMap map = MapOf(cells);
        const auto stream = PackLevel(map);
        ASSERT_GE(stream.size(), 56u);
        ASSERT_LE(stream.size(), 224u);
        LevelMap decoded;
        const UnpackResult result = UnpackLevel(stream, decoded);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.consumed, int(stream.size()));
        EXPECT_EQ(decoded, map);
    }
}

}  // namespace
}  // namespace morvane
