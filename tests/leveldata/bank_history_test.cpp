#include "leveldata/bank_history.h"

#include <gtest/gtest.h>

#include <tuple>

#include "demo_levels.h"
#include "leveldata/bank_restorer.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "leveldata/memory_file_system.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
const LevelLayout kBank{0, true};

// Saves level number of the file with one cell changed to tile, keeping a point in points.
LevelResult<std::uint8_t> PaintAndSave(const std::shared_ptr<MemoryFileData>& data, int number,
                                       std::uint8_t tile, BankHistory& points) {
    auto file = OpenMemoryFile(data, OpenMode::ReadWrite);
    auto level = LoadLevelFromFile(*file, kBank, number - 1).value();
    level.map.setCell(40, tile);
    return SaveLevelToFile(*file, kBank, number - 1, level.map, level.oldPackedLength,
                           level.levelOffset, {&points, "save level " + std::to_string(number)});
}

TEST(History, EqualBankIsKeptOnceAndOnlyTheNewestHundredStay) {
    MemoryFileSystem files;
    const auto data = files.add("bank.bin", demo::MakeDemoBank());
    BankHistory points(files, "bank.bin", 2);
    const auto ids = [&] {
        const auto entries = points.entries();
        return std::tuple(entries.size(), entries.front().id, entries.back().id);
    };
    // The first save keeps the demo bank, the second the painted one; the third starts from
    // that same painted bank again.
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(PaintAndSave(data, 1, 5, points).ok());
    }
    EXPECT_EQ(ids(), std::tuple(2u, 1, 2));
    // The first of these saves starts from the newest point's bank too; after it, alternating
    // tiles make every bank new: points 3..103.
    for (int round = 0; round < 102; ++round) {
        ASSERT_TRUE(PaintAndSave(data, 2, std::uint8_t(round % 2 ? 7 : 8), points).ok());
    }
    EXPECT_EQ(ids(), std::tuple(100u, 4, 103));
}

TEST(History, SaveIsRefusedWhenNoPointCanBeMade) {
    const Bytes original = demo::MakeDemoBank();
    for (const std::string fault : {"folder", "file in the way", "write", "flush"}) {
        SCOPED_TRACE(fault);
        MemoryFileSystem files;
        const auto data = files.add("bank.bin", original);
        files.failMakeDirectory = fault == "folder";
        if (fault == "file in the way") {
            files.add("bank.bin.history", {});
        }
        if (fault == "write") {
            files.createdFileFaults.partialWrite = MemoryFileData::PartialWrite{0, 100};
        }
        files.createdFileFaults.failFlush = fault == "flush";
        BankHistory points(files, "bank.bin", 2);
        const auto saved = PaintAndSave(data, 1, 17, points);
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.failure().error, LevelError::HistoryFailed);
        EXPECT_TRUE(data->writes.empty());
        EXPECT_EQ(data->bytes, original);
        EXPECT_EQ(files.find("bank.bin.history/1.point"), nullptr);
    }
}

TEST(History, ShortBankFileIsRestoredToItsLength) {
    MemoryFileSystem files;
    const auto data = files.add("bank.bin", demo::MakeDemoBank());
    data->bytes.resize(16000);
    const Bytes original = data->bytes;
    BankHistory points(files, "bank.bin", 2);
    ASSERT_TRUE(PaintAndSave(data, 5, 3, points).ok());
    ASSERT_EQ(data->bytes.size(), 16384u);
    auto file = OpenMemoryFile(data, OpenMode::ReadWrite);
    ASSERT_FALSE(RestoreBankFromHistory(*file, kBank, points, 1, true));
    EXPECT_EQ(data->bytes, original);
}

}  // namespace
}  // namespace morvane
