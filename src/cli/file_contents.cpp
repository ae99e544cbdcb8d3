#include "cli/file_contents.h"

#include <algorithm>
#include <filesystem>
#include <istream>

namespace morvane {

namespace {

// A map in dump's layout is under 700 bytes; text far larger is not what a command reads.
constexpr std::int64_t kMaxTextSize = 1 << 20;

}  // namespace

std::optional<std::string> ReadTextInput(const CommandContext& context, const std::string& path,
                                         std::string_view what, std::string& text) {
    if (path == "-") {
        // Read one byte past the limit, so that an endless stream ends the read too.
        text.assign(std::size_t(kMaxTextSize) + 1, '\0');
        context.in.read(text.data(), std::streamsize(text.size()));
        text.resize(std::size_t(context.in.gcount()));
        if (text.size() > std::size_t(kMaxTextSize)) {
            return "the input is too large to be " + std::string(what);
        }
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    if (auto problem = ReadInputFile(context.files, path, kMaxTextSize,
                                     "the file is too large to be " + std::string(what), bytes)) {
        return problem;
    }
    text.assign(bytes.begin(), bytes.end());
    return std::nullopt;
}

std::optional<std::string> ReadInputFile(FileSystem& files, const std::string& path,
                                         std::int64_t maxBytes, const std::string& tooLarge,
                                         std::vector<std::uint8_t>& bytes) {
    const FileStatus status = ReadWholeFile(files, path, maxBytes, bytes);
    if (status.error == FileError::TooLarge) {
        return tooLarge;
    }
    return status.ok() ? std::nullopt : std::optional(DescribeFileStatus(status));
}

void AddFileIfChanged(FileSystem& files, const std::string& path,
                      std::span<const std::uint8_t> bytes, std::vector<FileContents>& contents) {
    std::vector<std::uint8_t> existing;
    if (ReadWholeFile(files, path, std::int64_t(bytes.size()) + 1, existing).ok() &&
        std::equal(existing.begin(), existing.end(), bytes.begin(), bytes.end())) {
        return;
    }
    contents.emplace_back(path, bytes);
}

std::span<const std::uint8_t> BytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string PathInFolder(const std::string& folder, std::string_view name) {
    return (std::filesystem::path(folder) / name).generic_string();
}

}  // namespace morvane
