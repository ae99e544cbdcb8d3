#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "leveldata/byte_file.h"

namespace morvane {

// The contents of one in-memory file, with a record of how it was used and switches that make
// its operations fail. Tests keep a pointer to it and look at it after the code under test ran.
struct MemoryFileData {
    std::vector<std::uint8_t> bytes;

    // Usage record.
    int openFiles = 0;
    int timesOpened = 0;
    std::int64_t bytesRead = 0;
    std::optional<std::int64_t> lowestReadOffset;
    std::vector<std::pair<std::int64_t, std::int64_t>> writes;  // offset and length of each

    // Fault injection. A partial write makes write number `nth` (counted from 0 over the
    // file's life) store only its first `bytes` bytes and fail; other writes succeed.
    struct PartialWrite {
        int nth = 0;
        std::int64_t bytes = 0;
    };
    bool failReads = false;
    bool failFlush = false;
    std::optional<PartialWrite> partialWrite;
};

// Files held in memory, by path. Opening a path that was never added fails with NotFound.
class MemoryFileSystem : public FileSystem {
public:
    // Adds or replaces the file at path and returns its data for inspection.
    std::shared_ptr<MemoryFileData> add(const std::string& path, std::vector<std::uint8_t> bytes);

    // The file at path, or nullptr.
    std::shared_ptr<MemoryFileData> find(const std::string& path) const;

    std::unique_ptr<ByteFile> open(const std::string& path, OpenMode mode,
                                   FileStatus& status) override;
    std::unique_ptr<ByteFile> create(const std::string& path, FileStatus& status) override;
    FileStatus rename(const std::string& from, const std::string& to) override;
    FileStatus remove(const std::string& path) override;
    FileStatus makeDirectory(const std::string& path) override;
    FileStatus listDirectory(const std::string& path, std::vector<std::string>& names) override;

    // Fault injection for files made by create(): their fault switches start as these.
    MemoryFileData createdFileFaults;
    bool failRename = false;
    bool failMakeDirectory = false;

private:
    std::map<std::string, std::shared_ptr<MemoryFileData>> m_files;
    std::set<std::string> m_folders;
};

// Opens an in-memory file directly over data, for tests that need no file system.
std::unique_ptr<ByteFile> OpenMemoryFile(std::shared_ptr<MemoryFileData> data, OpenMode mode);

}  // namespace morvane
