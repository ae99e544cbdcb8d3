#include "cli/project_folder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "leveldata/header_fields.h"
#include "leveldata/level_bank.h"
#include "leveldata/restore_point.h"

namespace morvane {

namespace {

constexpr std::string_view kFirstLine = "Morvane level folder";
constexpr std::string_view kLevelExtensions[] = {".txt", ".tmx", ".tmj", ".json"};

template <typename T>
bool ParseWhole(std::string_view text, T& value, int base) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string FormatManifest(const ProjectManifest& manifest) {
    return WriteHeaderFields(kFirstLine, {{"kind", manifest.kind},
                                          {"size", std::to_string(manifest.size)},
                                          {"bank-crc32", HexWord(manifest.bankCrc)}});
}

std::optional<ProjectManifest> ParseManifest(std::string_view text) {
    const auto fields = HeaderFields::Read(text, kFirstLine);
    ProjectManifest manifest;
    if (!fields || !fields->text("kind") || !fields->number("size", manifest.size) ||
        fields->text("bank-crc32").value_or("").size() != 8 ||
        !fields->number("bank-crc32", manifest.bankCrc, 16)) {
        return std::nullopt;
    }
    manifest.kind = std::string(*fields->text("kind"));
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

bool LooksLikeLevelFileName(std::string_view name) {
    constexpr std::string_view kPrefix = "level";
    return name.size() >= kPrefix.size() &&
           std::equal(kPrefix.begin(), kPrefix.end(), name.begin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
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
    manifest.bankCrc = Crc32(bank);
    return std::nullopt;
}

}  // namespace morvane
