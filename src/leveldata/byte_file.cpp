#include "leveldata/byte_file.h"

#include <algorithm>

namespace morvane {

FileStatus ReadZeroPadded(ByteFile& file, std::int64_t offset, std::span<std::uint8_t> buffer,
                          std::size_t& bytesPresent) {
    bytesPresent = 0;
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
    return file.readAt(offset, buffer, bytesPresent);
}

FileStatus ReplaceFileContents(FileSystem& files, const std::string& path,
                               std::span<const std::uint8_t> bytes) {
    // A leftover of an interrupted earlier run may hold the first name; the next is free.
    std::string partName;
    std::unique_ptr<ByteFile> part;
    FileStatus status;
    for (int attempt = 0; attempt < 100 && !part; ++attempt) {
        partName = path + ".part" + (attempt ? std::to_string(attempt) : std::string());
        part = files.create(partName, status);
        if (!part && status.error != FileError::AlreadyExists) {
            return status;
        }
    }
    if (!part) {
        return status;
    }
    status = part->writeAt(0, bytes);
    if (status.ok()) {
        status = part->flush();
    }
    if (const FileStatus closed = part->close(); status.ok()) {
        status = closed;
    }
    if (status.ok()) {
        status = files.rename(partName, path);
    }
    if (!status.ok()) {
        files.remove(partName);
    }
    return status;
}

}  // namespace morvane
