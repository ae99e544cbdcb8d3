#include "leveldata/bank_history.h"

#include <gtest/gtest.h>

#include "demo_levels.h"
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

}  // namespace
}  // namespace morvane
