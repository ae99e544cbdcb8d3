#include "leveldata/bank_history.h"

#include <gtest/gtest.h>

#include "demo_levels.h"
#include "leveldata/bank_comparison.h"
#include "leveldata/batch_save.h"
#include "leveldata/bank_restorer.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "leveldata/memory_file_system.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kBankKind = 2;
const LevelLayout kBank{0, true};

// A bank file in memory with its history beside it, as the editor and the command line see it.
class History : public ::testing::Test {
protected:
    History() : m_data(m_files.add("bank.bin", demo::MakeDemoBank())) {}

    BankHistory history() { return BankHistory(m_files, "bank.bin", kBankKind); }

    // Saves level number with one cell changed to tile, keeping a point unless history is null.
    LevelResult<std::uint8_t> paintAndSave(int number, std::uint8_t tile, BankHistory* points) {
        auto file = OpenMemoryFile(m_data, OpenMode::ReadWrite);
        auto level = LoadLevelFromFile(*file, kBank, number - 1);
        EXPECT_TRUE(level.ok());
        level.value().map.setCell(40, tile);
        return SaveLevelToFile(*file, kBank, number - 1, level.value().map,
                               level.value().oldPackedLength, level.value().levelOffset,
                               {points, "save level " + std::to_string(number)});
    }

    std::optional<LevelFailure> restore(BankHistory& points, int id) {
        auto file = OpenMemoryFile(m_data, OpenMode::ReadWrite);
        return RestoreBankFromHistory(*file, kBank, points, id, true);
    }

    std::vector<int> ids() {
        std::vector<int> listed;
        for (const auto& entry : history().entries()) {
            listed.push_back(entry.id);
        }
        return listed;
    }

    MemoryFileSystem m_files;
    std::shared_ptr<MemoryFileData> m_data;
};

TEST_F(History, SavesRepackAndRestoresRoundTripByteForByte) {
    const Bytes original = m_data->bytes;
    auto points = history();
    ASSERT_TRUE(paintAndSave(4, 9, &points).ok());
    const Bytes afterFirstSet = m_data->bytes;
    ASSERT_TRUE(paintAndSave(12, 33, &points).ok());
    auto file = OpenMemoryFile(m_data, OpenMode::ReadWrite);
    ASSERT_TRUE(RepackBankInFile(*file, kBank, {&points, "repack"}).ok());
    file.reset();

    const auto entries = points.entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].point->what, "save level 4");
    EXPECT_EQ(entries[2].point->what, "repack");
    EXPECT_EQ(entries[0].point->time.size(), 20u);  // 2026-12-06T23:59:01Z
    EXPECT_EQ(entries[0].point->bank, original);

    ASSERT_FALSE(restore(points, 1));
    EXPECT_EQ(m_data->bytes, original);
    // The restore kept the bank it replaced, so it can be taken back in turn.
    EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(points.read(4).value().what, "restore 1");
    ASSERT_FALSE(restore(points, 2));
    EXPECT_EQ(m_data->bytes, afterFirstSet);
}

TEST_F(History, EqualBankIsKeptOnceAndOnlyTheNewestHundredStay) {
    auto points = history();
    // The first save keeps the demo bank, the second the painted one; the third starts from
    // that same painted bank again.
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(paintAndSave(1, 5, &points).ok());
    }
    EXPECT_EQ(ids(), (std::vector<int>{1, 2}));

    // The first of these saves starts from the newest point's bank too; after it, alternating
    // tiles make every bank new: points 3..103.
    for (int round = 0; round < 102; ++round) {
        ASSERT_TRUE(paintAndSave(2, std::uint8_t(round % 2 ? 7 : 8), &points).ok());
    }
    const auto kept = ids();
    ASSERT_EQ(kept.size(), 100u);
    EXPECT_EQ(kept.front(), 4);
    EXPECT_EQ(kept.back(), 103);
}

TEST_F(History, RestoreRefusesWithTheFileUntouched) {
    auto points = history();
    ASSERT_TRUE(paintAndSave(3, 9, &points).ok());
    const Bytes now = m_data->bytes;

    m_files.find("bank.bin.history/1.point")->bytes.back() ^= 1;
    m_files.add("bank.bin.history/2.point", {'x'});
    BankHistory otherKind(m_files, "bank.bin", 0);
    m_files.add("other.bin.history/1.point", m_files.find("bank.bin.history/1.point")->bytes);

    struct Case {
        BankHistory* history;
        int id;
        LevelError error;
    } cases[] = {
        {&points, 1, LevelError::PointDamaged},
        {&points, 2, LevelError::PointDamaged},
        {&points, 9, LevelError::NoSuchPoint},
    };
    for (const auto& c : cases) {
        const auto failure = restore(*c.history, c.id);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->error, c.error) << DescribeLevelFailure(*failure);
    }
    ASSERT_TRUE(paintAndSave(3, 10, &points).ok());  // point 3, intact
    EXPECT_EQ(restore(otherKind, 3)->error, LevelError::PointOfOtherFile);
    m_data->bytes.push_back(0);
    EXPECT_EQ(restore(points, 3)->error, LevelError::PointOfOtherFile);
    m_data->bytes.pop_back();
    EXPECT_NE(m_data->bytes, now);
    EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3}));
}

TEST_F(History, SaveIsRefusedWhenNoPointCanBeMade) {
    const Bytes original = m_data->bytes;
    struct Fault {
        const char* name;
        void (*inject)(MemoryFileSystem&);
    } faults[] = {
        {"folder", [](MemoryFileSystem& files) { files.failMakeDirectory = true; }},
        {"file in the way", [](MemoryFileSystem& files) { files.add("bank.bin.history", {}); }},
        {"write",
         [](MemoryFileSystem& files) {
             files.createdFileFaults.partialWrite = MemoryFileData::PartialWrite{0, 100};
         }},
        {"flush", [](MemoryFileSystem& files) { files.createdFileFaults.failFlush = true; }},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        MemoryFileSystem files;
        auto data = files.add("bank.bin", original);
        fault.inject(files);
        BankHistory points(files, "bank.bin", kBankKind);
        auto file = OpenMemoryFile(data, OpenMode::ReadWrite);
        auto level = LoadLevelFromFile(*file, kBank, 0).value();
        level.map.setCell(0, 17);
        const auto saved = SaveLevelToFile(*file, kBank, 0, level.map, level.oldPackedLength,
                                           level.levelOffset, {&points, "save level 1"});
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.failure().error, LevelError::HistoryFailed);
        EXPECT_TRUE(data->writes.empty());
        EXPECT_EQ(data->bytes, original);
        EXPECT_EQ(files.find("bank.bin.history/1.point"), nullptr);
    }
}

TEST_F(History, ShortBankFileIsRestoredToItsLength) {
    m_data->bytes.resize(16000);
    const Bytes original = m_data->bytes;
    auto points = history();
    ASSERT_TRUE(paintAndSave(5, 3, &points).ok());
    ASSERT_EQ(m_data->bytes.size(), 16384u);
    ASSERT_FALSE(restore(points, 1));
    EXPECT_EQ(m_data->bytes, original);
}

TEST(CompareBanks, CountsDifferingCellsAndUnreadableLevels) {
    const Bytes bank = demo::MakeDemoBank();
    Bytes changed = bank;
    const auto level = LevelBank(bank, 0).readLevel(6).value();
    changed[std::size_t(level.offset)] ^= 1;  // one run of level 7 takes another tile
    changed[2 * 20 + 1] = 0x7F;               // level 21's pointer leaves the bank
    const auto differences = CompareBanks(LevelBank(bank, 0), LevelBank(changed, 0));
    const int firstRun = (bank[std::size_t(level.offset)] >> 6) + 1;
    EXPECT_EQ(differences, (std::vector<LevelDifference>{{7, firstRun, false}, {21, 0, true}}));
}

}  // namespace
}  // namespace morvane
