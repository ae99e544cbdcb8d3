#include "leveldata/level_saver.h"

#include <gtest/gtest.h>

#include "bank_builder.h"
#include "demo_levels.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_loader.h"
#include "leveldata/memory_file_system.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::int64_t kCartridgeBank = 98304;

// An open source file with the level bookkeeping the editor keeps between load and save.
struct Source {
    Source(Bytes bytes, LevelLayout layout) : layout(layout) { data->bytes = std::move(bytes); }

    LoadedLevel load(int index) {
        auto loaded = LoadLevelFromFile(*file, layout, index);
        EXPECT_TRUE(loaded.ok()) << DescribeLevelFailure(loaded.failure());
        this->index = index;
        return level = loaded.value();
    }

    LevelResult<std::uint8_t> save(const LevelMap& map) {
        auto saved =
            SaveLevelToFile(*file, layout, index, map, level.oldPackedLength, level.levelOffset);
        if (saved.ok()) {
            level.oldPackedLength = saved.value();
        }
        return saved;
    }

    // The maps of all 99 levels as the file now holds them.
    std::vector<LevelMap> allMaps() {
        std::vector<LevelMap> maps;
        for (int at = 0; at < 99; ++at) {
            auto loaded = LoadLevelFromFile(*file, layout, at);
            EXPECT_TRUE(loaded.ok()) << DescribeLevelFailure(loaded.failure());
            maps.push_back(loaded.ok() ? loaded.value().map : LevelMap());
        }
        return maps;
    }

    LevelLayout layout;
    std::shared_ptr<MemoryFileData> data = std::make_shared<MemoryFileData>();
    std::unique_ptr<ByteFile> file = OpenMemoryFile(data, OpenMode::ReadWrite);
    int index = 0;
    LoadedLevel level;
};

// Paints count cells, starting at cell `first`, with tiles that differ from their neighbours,
// which lengthens a stream of long runs.
LevelMap Speckled(LevelMap map, int first, int count) {
    for (int cell = first; cell < first + count; ++cell) {
        map.setCell(cell, std::uint8_t(10 + cell % 2));
    }
    return map;
}

TEST(SaveLevel, UnchangedLengthRewritesOnlyTheStream) {
    Source source(demo::MakeDemoBank(), {0, true});
    const LoadedLevel level = source.load(11);
    // Replace one object, which is a run of its own, with another.
    LevelMap map = level.map;
    int object = 1;
    while (map.cell(object) < 5 || map.cell(object - 1) == map.cell(object) ||
           map.cell(object + 1) == map.cell(object)) {
        ++object;
    }
    map.setCell(object, map.cell(object) == 63 ? 62 : 63);
    const auto stream = PackLevel(map);
    ASSERT_EQ(stream.size(), level.oldPackedLength);
    Bytes expected = source.data->bytes;
    std::ranges::copy(stream, expected.begin() + 198 + level.levelOffset);
    ASSERT_TRUE(source.save(map).ok());
    EXPECT_EQ(source.data->bytes, expected);
    ASSERT_TRUE(source.save(map).ok());
    EXPECT_EQ(source.data->bytes, expected);
}

TEST(SaveLevel, LongerStreamMovesEveryLaterLevelUp) {
    for (const int index : {0, 50, 98}) {
        Source source(demo::MakeDemoBank(), {0, true});
        const Bytes before = source.data->bytes;
        const LoadedLevel level = source.load(index);
        auto expected = source.allMaps();
        const LevelMap map = Speckled(level.map, 40, 30);
        expected[std::size_t(index)] = map;
        const int delta = int(PackLevel(map).size()) - level.oldPackedLength;
        ASSERT_GT(delta, 0);

        const auto saved = source.save(map);
        ASSERT_TRUE(saved.ok()) << DescribeLevelFailure(saved.failure());
        EXPECT_EQ(saved.value(), level.oldPackedLength + delta);
        EXPECT_EQ(source.allMaps(), expected);
        // The bytes after the old stream moved up by delta; the last delta bytes fell off.
        const std::size_t oldEnd = 198 + std::size_t(level.levelOffset) + level.oldPackedLength;
        EXPECT_TRUE(std::equal(before.begin() + std::ptrdiff_t(oldEnd), before.end() - delta,
                               source.data->bytes.begin() + std::ptrdiff_t(oldEnd) + delta));
        EXPECT_EQ(source.data->bytes.size(), 16384u);
    }
}

TEST(SaveLevel, ShorterStreamInACartridgeTakesTheBytesAfterTheBank) {
    const Bytes rom = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    Source source(rom, {kCartridgeBank, true});
    const LoadedLevel level = source.load(0);
    auto expected = source.allMaps();
    LevelMap map;  // all floor: 56 runs of four
    expected[0] = map;
    const int delta = 56 - level.oldPackedLength;
    ASSERT_LT(delta, 0);
    ASSERT_TRUE(source.save(map).ok());
    EXPECT_EQ(source.allMaps(), expected);
    // The last -delta bytes of the bank are the first bytes of the next 16 KB block.
    const std::size_t bankEnd = kCartridgeBank + 16384;
    EXPECT_TRUE(std::equal(rom.begin() + std::ptrdiff_t(bankEnd),
                           rom.begin() + std::ptrdiff_t(bankEnd) - delta,
                           source.data->bytes.begin() + std::ptrdiff_t(bankEnd) + delta));
    // Nothing outside the bank was written or read.
    EXPECT_EQ(source.data->bytes.size(), rom.size());
    for (const auto& [offset, length] : source.data->writes) {
        EXPECT_EQ(std::pair(offset, length), std::pair(kCartridgeBank, std::int64_t{16384}));
    }
    EXPECT_GE(*source.data->lowestReadOffset, kCartridgeBank);
}

TEST(SaveLevel, NonGreedyStreamShrinksByOneWithNothingPainted) {
    std::vector<Bytes> streams;
    for (int index = 0; index < 99; ++index) {
        streams.push_back(PackLevel(demo::MakeDemoLevel(index)));
    }
    // Level 5 keeps one run of four as two runs of two.
    Bytes& stream = streams[4];
    const auto four =
        std::find_if(stream.begin(), stream.end(), [](auto b) { return b >> 6 == 3; });
    ASSERT_NE(four, stream.end());
    const auto pair = std::uint8_t((*four & 0x3F) | 0x40);
    *stream.insert(four, pair) = pair;
    *(std::find(stream.begin(), stream.end(), pair) + 1) = pair;
    const Bytes bank = demo::AssembleBank(streams);
    Source source(bank, {0, true});
    const LoadedLevel level = source.load(4);
    const auto expected = source.allMaps();
    const auto saved = source.save(level.map);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.value(), level.oldPackedLength - 1);
    EXPECT_EQ(source.allMaps(), expected);
}

TEST(SaveLevel, RefusesAnOverflowAndLeavesTheFileAlone) {
    // 98 streams of 164 bytes and one of 56 leave 58 bytes free at the end of the bank.
    LevelMap busy;
    for (int cell = 0; cell < 224; ++cell) {
        busy.setCell(cell, std::uint8_t(cell < 144 ? cell % 2 : 2));
    }
    std::vector<Bytes> streams(99, PackLevel(busy));
    streams[98] = PackLevel(LevelMap());
    const Bytes bank = demo::AssembleBank(streams, 0xEE);
    Source source(bank, {0, true});
    const LoadedLevel level = source.load(30);

    // One cell a run: 224 bytes, 60 more than now.
    const auto saved = source.save(Speckled(level.map, 0, 224));
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.failure().error, LevelError::BankOverflow);
    EXPECT_EQ(saved.failure().missingBytes, 2);
    EXPECT_EQ(source.data->bytes, bank);
    EXPECT_TRUE(source.data->writes.empty());

    // 57 more bytes fit; the free space shrinks to one byte and every level survives.
    auto expected = source.allMaps();
    expected[30] = Speckled(level.map, 0, 220);
    ASSERT_TRUE(source.save(expected[30]).ok());
    EXPECT_EQ(source.allMaps(), expected);
    EXPECT_EQ(source.data->bytes[16383], 0xEE);
}

TEST(SaveLevel, UnreadableLastLevelRefusesOnlyLongerStreams) {
    Bytes bank = demo::MakeDemoBank();
    bank[196] = 0x00;  // level 99 points before the bank
    bank[197] = 0x7F;
    Source source(bank, {0, true});
    const LoadedLevel level = source.load(20);
    const auto longer = source.save(Speckled(level.map, 40, 30));
    ASSERT_FALSE(longer.ok());
    EXPECT_EQ(longer.failure().error, LevelError::FreeSpaceUnknown);
    EXPECT_EQ(source.data->bytes, bank);
    const auto shorter = source.save(LevelMap());
    EXPECT_TRUE(shorter.ok()) << DescribeLevelFailure(shorter.failure());
}

TEST(SaveLevel, RefusesWhenAnotherLevelWouldReadDifferently) {
    Bytes bank = demo::MakeDemoBank();
    // Level 60 shares level 10's stream, out of level order: moving it would break it.
    bank[2 * 59] = bank[2 * 9];
    bank[2 * 59 + 1] = bank[2 * 9 + 1];
    Source source(bank, {0, true});
    const LoadedLevel level = source.load(9);
    const auto saved = source.save(Speckled(level.map, 40, 30));
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.failure().error, LevelError::LevelWouldChange);
    EXPECT_EQ(saved.failure().level, 60);
    EXPECT_EQ(source.data->bytes, bank);
}

TEST(SaveLevel, ShortBankFileGrowsToAWholeBankOrKeepsItsLengthWhenTheWriteFails) {
    Bytes bank = demo::AssembleBank(std::vector<Bytes>(99, PackLevel(LevelMap())));
    bank.resize(198 + 99 * 56 + 10);
    Source source(bank, {0, true});
    const LevelMap map = Speckled(source.load(98).map, 0, 8);
    // The write grows the file to 9000 bytes and then fails.
    source.data->partialWrite = MemoryFileData::PartialWrite{0, 9000};
    ASSERT_FALSE(source.save(map).ok());
    EXPECT_EQ(source.data->bytes, bank);
    source.data->partialWrite.reset();
    ASSERT_TRUE(source.save(map).ok());
    EXPECT_EQ(source.data->bytes.size(), 16384u);
    EXPECT_EQ(source.allMaps()[98], map);
}

TEST(SaveLevel, RefusesStaleBookkeeping) {
    const Bytes bank = demo::MakeDemoBank();
    Source source(bank, {0, true});
    // A length that no longer matches the stream in the file.
    source.load(5);
    ++source.level.oldPackedLength;
    EXPECT_EQ(DescribeLevelFailure(source.save(source.level.map).failure()),
              "Level 6: the file was changed by another program since this level was read; load "
              "the level again.");
    EXPECT_EQ(source.data->bytes, bank);
}

}  // namespace
}  // namespace morvane
