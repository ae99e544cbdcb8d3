#include "leveldata/bank_history.h"

#include <gtest/gtest.h>

#include <tuple>

#include "demo_levels.h"
#include "leveldata/bank_restorer.h"
#include "leveldata/bank_writer.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "leveldata/unfinished_write.h"
#include "memory_file_system.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
const LevelLayout kBank{0, true};

// Saves level number of the file with one cell changed to tile, keeping a point in points.
LevelResult<std::uint8_t> PaintAndSave(const std::shared_ptr<MemoryFileData>& data, int number,
                                       std::uint8_t tile, BankHistory& points) {
    auto file = OpenMemoryFile(data, OpenMode::ReadWrite);
    auto loaded = LoadLevelFromFile(*file, kBank, number - 1);
    if (!loaded.ok()) {  // a machine that stopped before the save reads nothing either
        return loaded.failure();
    }
    LoadedLevel& level = loaded.value();
    level.map.setCell(40, tile);
    BankWriteOptions note;
    note.history = &points;
    note.what = "save\nlevel " + std::to_string(number);  // a point's header keeps it one line
    return SaveLevelToFile(*file, kBank, number - 1, level.map, level.oldPackedLength,
                           level.levelOffset, note);
}

// How many points there are, and the first and last id.
std::tuple<std::size_t, std::int64_t, std::int64_t> Ids(BankHistory& points) {
    const auto entries = points.entries().value();
    return {entries.size(), entries.front().id, entries.back().id};
}

// A record is read field by field: a number with anything but digits, a field missing,
// repeated or added, or a cut-off line makes it no record; the order of the lines is free.
// (Records written as version 2, with the file's name and the pages' checksums, are read back
// by the tests of the repair below and by the tool's and the editor's.)
TEST(History, RecordOfAWriteUnderWayIsReadOnlyWhenExact) {
    const std::string record =
        "MORVANE WRITE UNDER WAY 1\npoint: 7\nbefore-crc32: 0a1b2c3d\nafter-crc32: 4e5f6a7b\n";
    const auto decode = [&](const std::string& from, const std::string& to) {
        std::string text = record;
        text.replace(text.find(from), from.size(), to);
        return DecodeUnfinishedWrite(
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    const auto exact =
        decode("point: 7\nbefore-crc32: 0a1b2c3d\n", "before-crc32: 0a1b2c3d\npoint: 7\n");
    ASSERT_TRUE(exact);
    EXPECT_EQ(std::tuple(exact->pointId, exact->before, exact->after),
              std::tuple(7, 0x0a1b2c3du, 0x4e5f6a7bu));
    const std::pair<std::string, std::string> broken[] = {{"7", "7x"},
                                                          {"7", "+7"},
                                                          {"7", "0"},
                                                          {"0a1b2c3d", "0a1b2c3g"},
                                                          {"point", "Point"},
                                                          {"7\n", "7\npoint: 7\n"},
                                                          {"4e5f6a7b\n", "4e5f6a7b"},
                                                          {"4e5f6a7b\n", "4e5f6a7b\n\n"},
                                                          {"4e5f6a7b\n", "4e5f6a7b\nextra: 1\n"},
                                                          {"1\n", "2\n"}};
    for (const auto& [from, to] : broken) {
        EXPECT_FALSE(decode(from, to)) << to;
    }
}

TEST(History, EqualBankIsKeptOnceAndOnlyTheNewestHundredStay) {
    MemoryFileSystem files;
    const auto data = files.add("bank.bin", demo::MakeDemoBank());
    BankHistory points(files, "bank.bin", 2);
    // The first save keeps the demo bank, the second the painted one; the third starts from
    // that same painted bank again.
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(PaintAndSave(data, 1, 5, points).ok());
    }
    EXPECT_EQ(Ids(points), std::tuple(2u, 1, 2));
    EXPECT_EQ(points.entries().value().front().point.value().what, "save level 1");
    // The same bank in a file of another length is another state of the file: point 3.
    data->bytes.push_back(0);
    ASSERT_TRUE(PaintAndSave(data, 1, 6, points).ok());
    EXPECT_EQ(Ids(points), std::tuple(3u, 1, 3));
    // Alternating tiles make every bank new: points 4..105.
    for (int round = 0; round < 102; ++round) {
        ASSERT_TRUE(PaintAndSave(data, 2, std::uint8_t(round % 2 ? 7 : 8), points).ok());
    }
    EXPECT_EQ(Ids(points), std::tuple(100u, 6, 105));
}

TEST(History, SaveIsRefusedWhenNoPointCanBeMadeOrAnotherWriterHoldsTheFile) {
    const Bytes original = demo::MakeDemoBank();
    const std::pair<std::string, LevelError> faults[] = {
        {"folder", LevelError::HistoryFailed},     {"file in the way", LevelError::HistoryFailed},
        {"write", LevelError::HistoryFailed},      {"flush", LevelError::HistoryFailed},
        {"no id left", LevelError::HistoryFailed}, {"another writer", LevelError::WriterBusy},
    };
    for (const auto& [fault, error] : faults) {
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
        if (fault == "no id left") {
            files.makeDirectory("bank.bin.history", FileAccess::Private);
            files.add("bank.bin.history/9223372036854775807.point", {});
        }
        const auto other = OpenMemoryFile(data, OpenMode::ReadWrite);
        if (fault == "another writer") {
            ASSERT_TRUE(other->lock(std::chrono::milliseconds(0)).ok());
        }
        BankHistory points(files, "bank.bin", 2);
        const auto saved = PaintAndSave(data, 1, 17, points);
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.failure().error, error) << DescribeLevelFailure(saved.failure());
        EXPECT_TRUE(data->writes.empty());
        EXPECT_EQ(data->bytes, original);
        EXPECT_EQ(files.find("bank.bin.history/1.point"), nullptr);
    }
}

// Part files of cut-short writes are cleared, however many; files that only look like points
// by their names are never pruned.
TEST(History, LeftoversDoNotBlockAndStrangersAreNotPruned) {
    MemoryFileSystem files;
    const auto data = files.add("bank.bin", demo::MakeDemoBank());
    files.makeDirectory("bank.bin.history", FileAccess::Private);
    for (int at = 1; at <= 150; ++at) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".part-%016x", at);
        files.add("bank.bin.history/" + std::to_string(at) + ".point" + suffix, {1});
        files.add("bank.bin.history/under-way" + std::string(suffix), {1});
        if (at <= 100) {
            files.add("bank.bin.history/" + std::to_string(at) + ".point", {'n', 'o', 't'});
        }
    }
    BankHistory points(files, "bank.bin", 2);
    ASSERT_TRUE(PaintAndSave(data, 1, 5, points).ok());
    std::vector<std::string> expected;
    for (int at = 1; at <= 101; ++at) {
        expected.push_back("bank.bin.history/" + std::to_string(at) + ".point");
    }
    std::sort(expected.begin(), expected.end());
    expected.insert(expected.begin(), "bank.bin");
    EXPECT_EQ(files.paths(), expected);
}

// A save cut short by a crash after any of its changing operations, keeping or losing each
// unflushed page of the bank. What the next start finds is put right: the bank is as before or
// as after the save, every point reads, and a later save leaves nothing of the crash behind.
TEST(History, EverySaveCutShortIsPutRight) {
    // The file, with a point, before and after a save that lengthens level 1, which moves
    // every later level, so that every page of the bank changes.
    const auto startFiles = [](MemoryFileSystem& files, BankHistory& points) {
        const auto data = files.add("bank.bin", demo::MakeDemoBank());
        EXPECT_TRUE(PaintAndSave(data, 2, 9, points).ok());
        return data;
    };
    MemoryFileSystem plain;
    BankHistory plainPoints(plain, "bank.bin", 2);
    const auto plainData = startFiles(plain, plainPoints);
    const Bytes before = plainData->bytes;
    ASSERT_TRUE(PaintAndSave(plainData, 1, 12, plainPoints).ok());
    const Bytes after = plainData->bytes;

    int tornBanks = 0;
    bool finished = false;
    for (int operations = 0; !finished; ++operations) {
        MemoryFileSystem files;
        BankHistory points(files, "bank.bin", 2);
        const auto data = startFiles(files, points);
        files.crashAfter(operations);
        finished = PaintAndSave(data, 1, 12, points).ok();
        const int pages = files.unflushedPages("bank.bin");
        for (std::uint64_t keep = 0; keep < (std::uint64_t(1) << pages); ++keep) {
            SCOPED_TRACE("crash after " + std::to_string(operations) + " operations, pages kept " +
                         std::to_string(keep));
            MemoryFileSystem restarted = files.restarted("bank.bin", keep);
            const auto bank = restarted.find("bank.bin");
            BankHistory history(restarted, "bank.bin", 2);
            const auto file = OpenMemoryFile(bank, OpenMode::ReadWrite);
            const auto torn = FindInterruptedWrite(*file, 0, history);
            const Bytes found = bank->bytes;
            const auto putBack = RepairInterruptedWrite(*file, 0, history);
            ASSERT_TRUE(putBack.ok()) << DescribeLevelFailure(putBack.failure());
            ASSERT_EQ(putBack.value().has_value(), torn.has_value());
            if (torn) {
                EXPECT_EQ(torn->error, LevelError::SaveTorn);
                EXPECT_EQ(putBack.value()->error, LevelError::SaveInterrupted);
                EXPECT_EQ(putBack.value()->point, torn->point);
                // The torn bank is kept too: nothing the repair replaced is lost.
                const auto newest = history.entries().value().back().point;
                EXPECT_EQ(newest.value().bank, found);
                EXPECT_EQ(newest.value().what, "bank torn by a save");
            }
            tornBanks += torn.has_value();
            EXPECT_TRUE(bank->bytes == before || bank->bytes == after);
            const auto entries = history.entries();
            for (const auto& entry : entries.value()) {
                EXPECT_TRUE(entry.point.ok()) << DescribeLevelFailure(entry.point.failure());
            }
            ASSERT_TRUE(PaintAndSave(bank, 2, 12, history).ok());
            for (const auto& path : restarted.paths()) {
                EXPECT_EQ(path.find(".part-"), std::string::npos) << path;
                EXPECT_NE(path, "bank.bin.history/under-way");
            }
        }
    }
    EXPECT_GT(tornBanks, 0);
}

// A record of a save that tore the bank, then one more change before the next write: a bank
// that something else wrote is kept as it is, a record of another file is not acted on, and a
// write through a link settles the record of the file the link points to.
TEST(History, WhatTheRecordDidNotWriteIsKept) {
    const Bytes before = demo::MakeDemoBank();
    Bytes after = before;
    std::fill(after.begin() + 8192, after.end(), std::uint8_t{0x41});
    Bytes torn = before;
    std::copy(after.begin() + 8192, after.begin() + 12288, torn.begin() + 8192);
    Bytes other = demo::MakeDemoBank();
    other[300] ^= 1;
    const struct {
        const char* name;
        std::string recordFile, writtenAs;
        Bytes found, kept;
        std::optional<LevelError> notice;
    } cases[] = {
        {"torn", "bank.bin", "bank.bin", torn, before, LevelError::SaveInterrupted},
        {"changed since", "bank.bin", "bank.bin", other, other, LevelError::SaveRecordStale},
        {"record of another file", "old.bin", "bank.bin", torn, torn, std::nullopt},
        {"through a link", "bank.bin", "current.bin", torn, before, LevelError::SaveInterrupted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        const auto data = files.add("bank.bin", c.found);
        files.addLink("current.bin", "bank.bin");
        BankHistory points(files, c.writtenAs, 2);
        ASSERT_TRUE(points.keepPoint(before, 0, 16384, "save level 1").ok());
        ASSERT_FALSE(points.recordWrite({c.recordFile, 1, Crc32(before), Crc32(after),
                                         PageChecksums(before), PageChecksums(after)}));
        std::optional<LevelError> notice;
        const BankWriteOptions options{&points, "write", true,
                                       [&](const LevelFailure& told) { notice = told.error; }};
        FileStatus opened;
        auto file = files.open(c.writtenAs, OpenMode::ReadWrite, opened);
        FileLock lock(*file);
        ASSERT_FALSE(BeginBankWrite(*file, 0, options, lock));
        EXPECT_EQ(data->bytes, c.kept);
        EXPECT_EQ(notice, c.notice);
        EXPECT_EQ(files.find("bank.bin.history/under-way") != nullptr, !c.notice);
        EXPECT_TRUE(files.find("bank.bin.history/1.point"));
    }
}

}  // namespace
}  // namespace morvane
