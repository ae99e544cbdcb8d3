#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "leveldata/disk_file_system.h"
#include "memory_file_system.h"
#include "test_folder.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

struct DiskFiles : ::testing::Test, test::TestFolder {
    DiskFileSystem m_files;
};

TEST_F(DiskFiles, ReadsWritesAndGrowsARegularFile) {
    const auto path = (m_folder / "bank.bin").string();
    std::ofstream(path, std::ios::binary) << "abcdef";
    FileStatus status;
    auto file = m_files.open(path, OpenMode::ReadWrite, status);
    ASSERT_TRUE(file) << DescribeFileStatus(status);
    std::int64_t length = 0;
    ASSERT_TRUE(file->size(length).ok());
    EXPECT_EQ(length, 6);

    std::uint8_t buffer[4] = {9, 9, 9, 9};
    std::size_t got = 0;
    ASSERT_TRUE(file->readAt(4, buffer, got).ok());
    EXPECT_EQ(got, 2u);  // the end of the file is not a failure
    EXPECT_EQ(std::string(buffer, buffer + 4), "ef\t\t");

    const std::uint8_t more[3] = {'X', 'Y', 'Z'};
    ASSERT_TRUE(file->writeAt(8, more).ok());
    ASSERT_TRUE(file->flush().ok());
    ASSERT_TRUE(file->size(length).ok());
    EXPECT_EQ(length, 11);
    ASSERT_TRUE(file->truncate(3).ok() && file->close().ok());
    EXPECT_EQ(file->close().error, FileError::Closed);
    EXPECT_EQ(file->readAt(0, buffer, got).error, FileError::Closed);
    EXPECT_EQ(fs::file_size(path), 3u);
}

TEST_F(DiskFiles, RefusesWhatIsNotARegularFileWithoutBlocking) {
    const auto fifo = (m_folder / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& path : {fifo, m_folder.string(), std::string("/dev/null")}) {
        for (const auto mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
            FileStatus status;
            EXPECT_FALSE(m_files.open(path, mode, status)) << path;
            EXPECT_EQ(status.error, FileError::NotRegularFile) << path;
        }
    }
}

TEST(ReplaceFileContents, NeverLeavesPartOfTheBytesAtThePath) {
    const std::vector<std::uint8_t> old = {1, 2, 3};
    const std::vector<std::uint8_t> bytes(1000, 0xAB);
    for (const std::string c : {"short write", "flush fails", "rename fails"}) {
        MemoryFileSystem files;
        files.add("Level12.raw", old);
        if (c == "short write") {
            files.createdFileFaults.partialWrite = MemoryFileData::PartialWrite{0, 400};
        }
        files.createdFileFaults.failFlush = c == "flush fails";
        files.failRename = c == "rename fails";
        EXPECT_FALSE(ReplaceFileContents(files, "Level12.raw", bytes).ok()) << c;
        EXPECT_EQ(files.find("Level12.raw")->bytes, old) << c;
        EXPECT_EQ(files.paths(), std::vector<std::string>{"Level12.raw"}) << c;
    }
}

// A crash keeps the flushed bytes, and each unflushed 4 KB page (and a changed length) on its
// own; after the crash clock runs out, every change fails and changes nothing.
TEST(MemoryFileSystem, CrashKeepsFlushedBytesAndChosenUnflushedPages) {
    // Byte 0 is flushed; the writes after it change pages 0, 2 and 3 and the length: keep bits
    // 0, 1, 2 and 3.
    const struct {
        std::uint64_t keep;
        std::size_t length;
        int page0, page2, page3;
    } rows[] = {{0b0000, 12288, 0, 0, -1}, {0b0001, 12288, 7, 0, -1}, {0b0010, 12288, 0, 7, -1},
                {0b1000, 12289, 0, 0, 0},  {0b1100, 12289, 0, 0, 7},  {0b1111, 12289, 7, 7, 7}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keep);
        MemoryFileSystem files;
        files.add("bank.bin", std::vector<std::uint8_t>(3 * 4096, 0));
        FileStatus status;
        auto file = files.open("bank.bin", OpenMode::ReadWrite, status);
        const std::uint8_t one[1] = {7};
        ASSERT_TRUE(file->writeAt(0, one).ok() && file->flush().ok());
        ASSERT_TRUE(file->writeAt(4095, one).ok() && file->writeAt(8192, one).ok() &&
                    file->writeAt(12288, one).ok());
        files.crashAfter(0);
        EXPECT_FALSE(file->writeAt(1, one).ok());
        EXPECT_TRUE(files.crashed());
        ASSERT_EQ(files.unflushedPages("bank.bin"), 4);
        const auto after = files.restarted("bank.bin", row.keep).find("bank.bin")->bytes;
        ASSERT_EQ(after.size(), row.length);
        EXPECT_EQ(std::tuple(after[0], after[1], after[4095], after[4096], after[8192]),
                  std::tuple(7, 0, row.page0, 0, row.page2));
        if (row.page3 >= 0) {
            EXPECT_EQ(after[12288], row.page3);
        }
    }
}

// Two open files of one path hold the lock in turn, in one process too; locks nest.
TEST_F(DiskFiles, OneOpenFileAtATimeHoldsTheLock) {
    const auto path = (m_folder / "bank.bin").string();
    std::ofstream(path) << "bank";
    FileStatus status;
    auto first = m_files.open(path, OpenMode::ReadWrite, status);
    auto second = m_files.open(path, OpenMode::ReadWrite, status);
    ASSERT_TRUE(first && second);
    using std::chrono::milliseconds;
    ASSERT_TRUE(first->lock(milliseconds(0)).ok());
    ASSERT_TRUE(first->lock(milliseconds(0)).ok());
    EXPECT_EQ(second->lock(milliseconds(20)).error, FileError::Locked);
    first->unlock();
    EXPECT_EQ(second->lock(milliseconds(0)).error, FileError::Locked);
    first->unlock();
    EXPECT_TRUE(second->lock(milliseconds(0)).ok());
    second->close();
    EXPECT_TRUE(first->lock(milliseconds(0)).ok());
}

}  // namespace
}  // namespace morvane
