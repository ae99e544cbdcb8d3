#include "leveldata/byte_file.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace morvane {

namespace {

constexpr std::string_view kPartInfix = ".part-";

}  // namespace

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

namespace {

// What stands at path, as a write that replaces it sees it.
FileStatus TargetStatus(FileSystem& files, const std::string& path) {
    EntryInfo info;
    if (FileStatus status = files.inspect(path, info); !status.ok()) {
        return status;
    }
    switch (info.type) {
        case EntryInfo::Type::Missing:
        case EntryInfo::Type::RegularFile:
            return {};
        case EntryInfo::Type::SymbolicLink:
            return {FileError::SymbolicLink, {}};
        case EntryInfo::Type::Directory:
        case EntryInfo::Type::Other:
            break;
    }
    return {FileError::NotRegularFile, {}};
}

}  // namespace

FileStatus CheckReplaceable(FileSystem& files, const std::string& path) {
    if (FileStatus status = TargetStatus(files, path); !status.ok()) {
        return status;
    }
    std::random_device random;
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%08x%08x", unsigned(random()), unsigned(random()));
    const std::string probe = path + std::string(kPartInfix) + suffix;
    FileStatus status;
    auto part = files.create(probe, FileAccess::Shared, status);
    if (!part) {
        return status;
    }
    part->close();
    files.remove(probe);
    return {};
}

FileStatus ReplaceFileContents(FileSystem& files, const std::string& path,
                               std::span<const std::uint8_t> bytes, FileAccess access) {
    const std::pair<std::string, std::span<const std::uint8_t>> file{path, bytes};
    return ReplaceFilesInFolder(files, std::span(&file, 1), access);
}

FileStatus ReplaceFilesInFolder(
    FileSystem& files,
    std::span<const std::pair<std::string, std::span<const std::uint8_t>>> contents,
    FileAccess access, std::string* failedPath) {
    // A random suffix: leftovers of interrupted runs, and other writers of the same path, never
    // hold the name, however many there are.
    std::random_device random;
    std::vector<std::string> parts;
    const auto removeParts = [&] {
        for (const auto& part : parts) {
            files.remove(part);
        }
    };
    // Look before writing: a link or anything but a regular file at a target stops the whole
    // write before any file is made, so no target is replaced and the others not.
    for (const auto& [path, bytes] : contents) {
        if (FileStatus status = TargetStatus(files, path); !status.ok()) {
            if (failedPath) {
                *failedPath = path;
            }
            return status;
        }
    }
    FileStatus status;
    for (const auto& [path, bytes] : contents) {
        if (failedPath) {
            *failedPath = path;
        }
        std::unique_ptr<ByteFile> part;
        for (int attempt = 0; attempt < 16 && !part; ++attempt) {
            char suffix[17];
            std::snprintf(suffix, sizeof suffix, "%08x%08x", unsigned(random()),
                          unsigned(random()));
            parts.push_back(path + std::string(kPartInfix) + suffix);
            part = files.create(parts.back(), access, status);
            if (!part) {
                parts.pop_back();
                if (status.error != FileError::AlreadyExists) {
                    break;
                }
            }
        }
        if (!part) {
            removeParts();
            return status;
        }
        status = part->writeAt(0, bytes);
        if (status.ok()) {
            status = part->flush();
        }
        if (const FileStatus closed = part->close(); status.ok()) {
            status = closed;
        }
        if (!status.ok()) {
            removeParts();
            return status;
        }
    }
    for (std::size_t at = 0; at < parts.size(); ++at) {
        if (failedPath) {
            *failedPath = contents[at].first;
        }
        if (status = files.rename(parts[at], contents[at].first); !status.ok()) {
            parts.erase(parts.begin(), parts.begin() + std::ptrdiff_t(at));
            removeParts();
            return status;
        }
    }
    return files.flushFolder(contents.empty() ? std::string() : contents.front().first);
}

bool IsPartFileOf(std::string_view name, std::string_view target) {
    if (!name.starts_with(target)) {
        return false;
    }
    name.remove_prefix(target.size());
    return name.starts_with(kPartInfix) && name.size() == kPartInfix.size() + 16 &&
           name.find_first_not_of("0123456789abcdef", kPartInfix.size()) == std::string_view::npos;
}

}  // namespace morvane
