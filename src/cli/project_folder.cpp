#include "cli/project_folder.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "leveldata/level_bank.h"
#include "leveldata/restore_point.h"

namespace morvane {

namespace {

constexpr std::string_view kFirstLine = "Morvane level folder";
constexpr std::string_view kLevelExtensions[] = {".txt", ".tmx", ".tmj", ".json"};

// The value after "key: " on the line that starts so, or nothing.
std::optional<std::string_view> Field(std::string_view text, std::string_view key) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.starts_with(key) && line.substr(key.size()).starts_with(": ")) {
            return line.substr(key.size() + 2);
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return std::nullopt;
}

template <typename T>
bool ParseWhole(std::string_view text, T& value, int base) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string FormatManifest(const ProjectManifest& manifest) {
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", unsigned(manifest.bankCrc));
    return std::string(kFirstLine) + "\nkind: " + manifest.kind +
           "\nsize: " + std::to_string(manifest.size) + "\nbank-crc32: " + crc + "\n";
}

std::optional<ProjectManifest> ParseManifest(std::string_view text) {
    if (!text.starts_with(kFirstLine)) {
        return std::nullopt;
    }
    const auto kind = Field(text, "kind");
    const auto size = Field(text, "size");
    const auto crc = Field(text, "bank-crc32");
    ProjectManifest manifest;
    if (!kind || !size || !crc || !ParseWhole(*size, manifest.size, 10) || crc->size() != 8 ||
        !ParseWhole(*crc, manifest.bankCrc, 16)) {
        return std::nullopt;
    }
    manifest.kind = std::string(*kind);
    return manifest;
}

std::optional<int> LevelOfFileName(std::string_view name) {
    if (!name.starts_with("Level")) {
        return std::nullopt;
    }
    name.remove_prefix(5);
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view extension = name.substr(dot);
    bool known = false;
    for (const std::string_view candidate : kLevelExtensions) {
        known = known || extension == candidate;
    }
    int number = 0;
    if (!known || name[0] < '0' || name[0] > '9' || !ParseWhole(name.substr(0, dot), number, 10) ||
        number < 1 || number > LevelBank::kLevelCount) {
        return std::nullopt;
    }
    return number;
}

std::optional<std::string> ManifestOf(Source& source, ProjectManifest& manifest) {
    manifest.kind = std::string(SourceKindName(source.kind));
    if (FileStatus status = source.file->size(manifest.size); !status.ok()) {
        return DescribeFileStatus(status);
    }
    std::array<std::uint8_t, LevelBank::kSize> bank{};
    std::size_t present = 0;
    const FileStatus status =
        ReadZeroPadded(*source.file, source.layout->dataOffset, bank, present);
    if (!status.ok()) {
        return DescribeFileStatus(status);
    }
    manifest.bankCrc = BankChecksum(bank);
    return std::nullopt;
}

}  // namespace morvane
