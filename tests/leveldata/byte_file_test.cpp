#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "leveldata/disk_file_system.h"
#include "leveldata/memory_file_system.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

class DiskFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("morvane-files-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string write(const std::string& name, const std::string& bytes) {
        const auto path = (m_folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path m_folder;
    DiskFileSystem m_files;
};

TEST_F(DiskFiles, ReadsWritesAndGrowsARegularFile) {
    const auto path = write("bank.bin", "abcdef");
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
    EXPECT_EQ(buffer[0], 'e');
    EXPECT_EQ(buffer[2], 9);

    const std::uint8_t more[3] = {'X', 'Y', 'Z'};
    ASSERT_TRUE(file->writeAt(8, more).ok());
    ASSERT_TRUE(file->flush().ok());
    ASSERT_TRUE(file->size(length).ok());
    EXPECT_EQ(length, 11);
    ASSERT_TRUE(file->truncate(3).ok());
    ASSERT_TRUE(file->close().ok());
    EXPECT_EQ(file->close().error, FileError::Closed);
    EXPECT_EQ(file->readAt(0, buffer, got).error, FileError::Closed);
    EXPECT_EQ(fs::file_size(path), 3u);
}

TEST_F(DiskFiles, ReadOnlyFilesRefuseWrites) {
    const auto path = write("rom.bin", "abc");
    FileStatus status;
    auto file = m_files.open(path, OpenMode::ReadOnly, status);
    ASSERT_TRUE(file);
    const std::uint8_t byte[1] = {0};
    const FileStatus written = file->writeAt(0, byte);
    EXPECT_EQ(written.error, FileError::WriteFailed);
    EXPECT_FALSE(written.reason.empty());
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

TEST_F(DiskFiles, ReportsMissingFilesAndDeniedAccess) {
    FileStatus status;
    EXPECT_FALSE(m_files.open((m_folder / "absent.bin").string(), OpenMode::ReadOnly, status));
    EXPECT_EQ(status.error, FileError::NotFound);
    EXPECT_EQ(DescribeFileStatus(status), "the file does not exist (No such file or directory)");

    const auto path = write("locked.bin", "abc");
    fs::permissions(path, fs::perms::owner_read);
    if (::geteuid() != 0) {  // root may write any file
        EXPECT_FALSE(m_files.open(path, OpenMode::ReadWrite, status));
        EXPECT_EQ(status.error, FileError::AccessDenied);
    }
}

TEST(MemoryFiles, RecordUseAndInjectFaults) {
    MemoryFileSystem files;
    auto data = files.add("a.bin", {1, 2, 3, 4});
    FileStatus status;
    auto file = files.open("a.bin", OpenMode::ReadWrite, status);
    ASSERT_TRUE(file);
    EXPECT_EQ(data->openFiles, 1);
    std::uint8_t buffer[8] = {};
    std::size_t got = 0;
    ASSERT_TRUE(file->readAt(2, buffer, got).ok());
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(*data->lowestReadOffset, 2);

    data->partialWrite = MemoryFileData::PartialWrite{0, 2};
    const std::uint8_t bytes[4] = {7, 7, 7, 7};
    EXPECT_EQ(file->writeAt(3, bytes).error, FileError::WriteFailed);
    EXPECT_EQ(data->bytes, (std::vector<std::uint8_t>{1, 2, 3, 7, 7}));
    EXPECT_TRUE(file->writeAt(0, bytes).ok());  // only the first write was cut

    data->failReads = true;
    EXPECT_FALSE(file->readAt(0, buffer, got).ok());
    file.reset();
    EXPECT_EQ(data->openFiles, 0);
    EXPECT_FALSE(files.open("b.bin", OpenMode::ReadOnly, status));
    EXPECT_EQ(status.error, FileError::NotFound);
}

TEST(ReplaceFileContents, NeverLeavesPartOfTheBytesAtThePath) {
    const std::vector<std::uint8_t> old = {1, 2, 3};
    const std::vector<std::uint8_t> bytes(1000, 0xAB);
    const struct {
        const char* name;
        bool partialWrite, failFlush, failRename;
    } cases[] = {{"short write", true, false, false},
                 {"flush fails", false, true, false},
                 {"rename fails", false, false, true}};
    for (const auto& c : cases) {
        MemoryFileSystem files;
        files.add("Level12.raw", old);
        if (c.partialWrite) {
            files.createdFileFaults.partialWrite = MemoryFileData::PartialWrite{0, 400};
        }
        files.createdFileFaults.failFlush = c.failFlush;
        files.failRename = c.failRename;
        EXPECT_FALSE(ReplaceFileContents(files, "Level12.raw", bytes).ok()) << c.name;
        EXPECT_EQ(files.find("Level12.raw")->bytes, old) << c.name;
        EXPECT_FALSE(files.find("Level12.raw.part")) << c.name << ": part file left behind";
    }

    MemoryFileSystem files;
    files.add("Level12.raw", old);
    files.add("Level12.raw.part", {9});  // left over from an interrupted run
    ASSERT_TRUE(ReplaceFileContents(files, "Level12.raw", bytes).ok());
    EXPECT_EQ(files.find("Level12.raw")->bytes, bytes);
    EXPECT_EQ(files.find("Level12.raw.part")->bytes, std::vector<std::uint8_t>{9});
    EXPECT_FALSE(files.find("Level12.raw.part1"));
}

TEST_F(DiskFiles, ReplacesAFileInOneStep) {
    const auto path = write("Level1.raw", "old contents");
    const std::vector<std::uint8_t> bytes(172032, 0x5A);
    ASSERT_TRUE(ReplaceFileContents(m_files, path, bytes).ok());
    EXPECT_EQ(fs::file_size(path), bytes.size());
    ASSERT_TRUE(ReplaceFileContents(m_files, path, bytes).ok());
    EXPECT_EQ(fs::file_size(path), bytes.size());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);

    const FileStatus missingFolder =
        ReplaceFileContents(m_files, (m_folder / "absent" / "Level1.raw").string(), bytes);
    EXPECT_EQ(missingFolder.error, FileError::CreateFailed);
    EXPECT_EQ(DescribeFileStatus(missingFolder),
              "the file could not be created (No such file or directory)");
}

}  // namespace
}  // namespace morvane
