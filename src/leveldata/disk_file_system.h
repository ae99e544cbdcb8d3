#pragma once

#include "leveldata/byte_file.h"

namespace morvane {

// The operating system's files. Relative paths resolve against the process's current directory.
class DiskFileSystem : public FileSystem {
public:
    std::unique_ptr<ByteFile> open(const std::string& path, OpenMode mode,
                                   FileStatus& status) override;
    std::unique_ptr<ByteFile> create(const std::string& path, FileAccess access,
                                     FileStatus& status) override;
    FileStatus rename(const std::string& from, const std::string& to) override;
    FileStatus flushFolder(const std::string& path) override;
    FileStatus remove(const std::string& path) override;
    FileStatus makeDirectory(const std::string& path, FileAccess access) override;
    FileStatus listDirectory(const std::string& path, std::vector<std::string>& names) override;
    FileStatus inspect(const std::string& path, EntryInfo& info) override;
    FileStatus resolveLinks(const std::string& path, std::string& resolved) override;
};

}  // namespace morvane
