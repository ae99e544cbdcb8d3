#pragma once

#include "leveldata/byte_file.h"

namespace morvane {

// The operating system's files. Relative paths resolve against the process's current directory.
class DiskFileSystem : public FileSystem {
public:
    std::unique_ptr<ByteFile> open(const std::string& path, OpenMode mode,
                                   FileStatus& status) override;
};

}  // namespace morvane
