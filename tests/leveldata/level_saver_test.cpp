#include "leveldata/level_saver.h"

#include <gtest/gtest.h>

#include "bank_builder.h"
#include "demo_levels.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_loader.h"
#include "memory_file_system.h"

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

// Replaces one object, which is a run of its own, with another: the stream keeps its length.
LevelMap OtherObject(LevelMap map) {
    int object = 1;
    while (map.cell(object) < 5 || map.cell(object - 1) == map.cell(object) ||
           map.cell(object + 1) == map.cell(object)) {
        ++object;
    }
    map.setCell(object, map.cell(object) == 63 ? 62 : 63);
    return map;
}

// Saves of a stream of equal length, longer ones (levels 1, 51, 99), a shorter one in a
// cartridge and a stream of runs of two that shrinks with nothing painted. Every level reads
// as expected, the bytes after the old stream move by the change in length (a cartridge's
// shorter bank takes the bytes after it), and nothing outside the bank is written or read.
TEST(SaveLevel, MovesTheBytesAfterTheStreamByTheChangeInLength) {
    const Bytes bank = demo::MakeDemoBank();
    const auto speckled = [](LevelMap map) { return Speckled(map, 40, 30); };
    const auto unpainted = [](LevelMap map) { return map; };
    const LevelMap pairs = demo::MakeDemoLevel(3);  // stored in runs of two
    const int shrink = int(PackLevel(pairs).size() - demo::PackInPairs(pairs).size());
    const struct {
        int index;
        std::int64_t bankAt;
        LevelMap (*edit)(LevelMap);
        int lowest, highest;  // the change in length
    } cases[] = {
        {11, 0, OtherObject, 0, 0},
        {0, 0, speckled, 1, 224},
        {50, 0, speckled, 1, 224},
        {98, 0, speckled, 1, 224},
        {0, kCartridgeBank, [](LevelMap) { return LevelMap(); }, -224, -1},  // all floor
        {3, 0, unpainted, shrink, shrink},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index + 1);
        const Bytes file = c.bankAt ? demo::MakeCartridge(bank, SourceKind::UeRom) : bank;
        Source source(file, {c.bankAt, true});
        const LoadedLevel level = source.load(c.index);
        auto expected = source.allMaps();
        const LevelMap map = expected[std::size_t(c.index)] = c.edit(level.map);
        const int delta = int(PackLevel(map).size()) - level.oldPackedLength;
        ASSERT_TRUE(delta >= c.lowest && delta <= c.highest) << delta;
        source.data->lowestReadOffset.reset();
        const auto saved = source.save(map);
        ASSERT_TRUE(saved.ok()) << DescribeLevelFailure(saved.failure());
        EXPECT_EQ(saved.value(), level.oldPackedLength + delta);
        EXPECT_EQ(source.allMaps(), expected);
        const auto& bytes = source.data->bytes;
        const auto at = [](const auto& container, std::int64_t offset) {
            return container.begin() + std::ptrdiff_t(offset);
        };
        const std::int64_t streamStart = c.bankAt + 198 + level.levelOffset;
        const std::int64_t oldEnd = streamStart + level.oldPackedLength;
        const std::int64_t bankEnd = c.bankAt + 16384;
        ASSERT_EQ(bytes.size(), file.size());
        EXPECT_TRUE(std::equal(at(file, 0), at(file, c.bankAt), at(bytes, 0)));
        EXPECT_TRUE(
            std::equal(at(file, c.bankAt + 198), at(file, streamStart), at(bytes, c.bankAt + 198)));
        EXPECT_TRUE(std::equal(at(file, oldEnd),
                               at(file, std::min<std::int64_t>(bankEnd - delta, std::ssize(file))),
                               at(bytes, oldEnd + delta)));
        EXPECT_TRUE(std::equal(at(file, bankEnd), file.end(), at(bytes, bankEnd)));
        for (const auto& [offset, length] : source.data->writes) {
            EXPECT_TRUE(offset >= c.bankAt && offset + length <= bankEnd);
        }
        EXPECT_GE(source.data->lowestReadOffset.value(), c.bankAt);
    }
}

// Saves that cannot be done safely are refused with nothing written: a longer stream when the
// last level cannot be read, and with it the free space; a move that would break a level that
// shares the stream out of level order; a length that no longer matches the stream in the file.
TEST(SaveLevel, RefusesWhatItCannotSaveSafely) {
    const Bytes bank = demo::MakeDemoBank();
    Bytes unreadableLast = bank, shared = bank;
    unreadableLast[196] = 0x00;  // level 99 points before the bank
    unreadableLast[197] = 0x7F;
    shared[2 * 59] = bank[2 * 9];  // level 60 reads level 10's stream
    shared[2 * 59 + 1] = bank[2 * 9 + 1];
    const struct {
        const Bytes& file;
        int index;
        bool stale;
        std::string failure;
    } cases[] = {
        {unreadableLast, 20, false,
         "Level 21: the last level cannot be read, so the bank's free space is unknown and a "
         "longer level cannot be saved."},
        {shared, 9, false, "Level 60: saving would change how this level reads."},
        {bank, 5, true,
         "Level 6: the file was changed by another program since this level was read; load "
         "the level again."},
    };
    for (const auto& c : cases) {
        Source source(c.file, {0, true});
        const LevelMap map = source.load(c.index).map;
        source.level.oldPackedLength += c.stale;
        EXPECT_EQ(
            DescribeLevelFailure(source.save(c.stale ? map : Speckled(map, 40, 30)).failure()),
            c.failure);
        EXPECT_EQ(source.data->bytes, c.file);
    }
    // One tile for another, the most common edit, keeps the length, and a shorter stream fits:
    // both are saved with the last level unreadable.
    Source source(unreadableLast, {0, true});
    const LevelMap sameLength = OtherObject(source.load(20).map);
    ASSERT_EQ(PackLevel(sameLength).size(), source.level.oldPackedLength);
    for (const LevelMap& map : {sameLength, LevelMap()}) {
        const auto saved = source.save(map);
        EXPECT_TRUE(saved.ok()) << DescribeLevelFailure(saved.failure());
        EXPECT_EQ(source.load(20).map, map);
    }
}

TEST(SaveLevel, ShortBankFileGrowsToAWholeBankOrKeepsItsLengthWhenTheWriteFails) {
    Bytes bank = demo::AssembleBank(std::vector<Bytes>(99, PackLevel(LevelMap())));
    bank.resize(198 + 99 * 56 + 10);
    Source source(bank, {0, true});
    const LevelMap map = Speckled(source.load(98).map, 0, 8);
    // The write grows the file to 9000 bytes and then fails; or it reports success, but the disk
    // keeps other bytes, which the read-back finds.
    source.data->partialWrite = MemoryFileData::PartialWrite{0, 9000};
    for (const LevelError error : {LevelError::WriteFailed, LevelError::VerifyFailed}) {
        const auto saved = source.save(map);
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.failure().error, error);
        EXPECT_EQ(source.data->bytes, bank);
        source.data->partialWrite.reset();
        source.data->alteredWrite = int(source.data->writes.size());
    }
    source.data->alteredWrite.reset();
    ASSERT_TRUE(source.save(map).ok());
    EXPECT_EQ(source.data->bytes.size(), 16384u);
    EXPECT_EQ(source.allMaps()[98], map);
}

}  // namespace
}  // namespace morvane
