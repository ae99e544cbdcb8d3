#include "leveldata/byte_file.h"

#include <algorithm>

namespace morvane {

FileStatus ReadZeroPadded(ByteFile& file, std::int64_t offset, std::span<std::uint8_t> buffer,
                          std::size_t& bytesPresent) {
    bytesPresent = 0;
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
    return file.readAt(offset, buffer, bytesPresent);
}

FileStatus ReadWholeFile(FileSystem& files, const std::string& path, std::int64_t maxBytes,
                         std::vector<std::uint8_t>& bytes) {
    FileStatus status;
    const auto file = files.open(path, OpenMode::ReadOnly, status);
    if (!file) {
        return status;
    }
    std::int64_t length = 0;
    if (status = file->size(length); !status.ok()) {
        return status;
    }
    if (length > maxBytes) {
        return {FileError::TooLarge, {}};
    }
    bytes.resize(std::size_t(length));
    std::size_t got = 0;
    status = file->readAt(0, bytes, got);
    bytes.resize(got);
    return status;
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
