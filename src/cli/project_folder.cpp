#include "cli/project_folder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "cli/file_contents.h"
#include "leveldata/header_fields.h"
#include "leveldata/level_bank.h"
#include "leveldata/restore_point.h"

namespace morvane {

namespace {

constexpr std::string_view kFirstLine = "Morvane level folder";
// A file's CRC-32 is on the line "file NAME: crc".
constexpr std::string_view kFilePrefix = "file ";
constexpr std::string_view kLevelExtensions[] = {".txt", ".tmx", ".tmj", ".json"};

template <typename T>
bool ParseWhole(std::string_view text, T& value, int base) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string FormatManifest(const ProjectManifest& manifest) {
    std::vector<std::string> names;
    std::vector<std::pair<std::string_view, std::string>> fields = {
        {"kind", manifest.kind},
        {"size", std::to_string(manifest.size)},
        {"bank-crc32", HexWord(manifest.bankCrc)}};
    names.reserve(manifest.files.size());
    for (const auto& [name, crc] : manifest.files) {
        names.push_back(std::string(kFilePrefix) + name);
        fields.emplace_back(names.back(), HexWord(crc));
    }
    return WriteHeaderFields(kFirstLine, fields);
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
    for (const auto& [name, value] : fields->fields()) {
        std::uint32_t crc = 0;
        if (name.starts_with(kFilePrefix) && value.size() == 8 && ParseWhole(value, crc, 16)) {
            manifest.files.emplace(name.substr(kFilePrefix.size()), crc);
        }
    }
    return manifest;
}

std::optional<std::string> ReadManifestFile(FileSystem& files, const std::string& path,
                                            ProjectManifest& manifest) {
    // A manifest of 99 files' records is under 4 KiB.
    constexpr std::int64_t kMaxManifestSize = 1 << 20;
    std::vector<std::uint8_t> bytes;
    if (auto problem = ReadInputFile(files, path, kMaxManifestSize,
                                     "the file is too large to be a manifest", bytes)) {
        return problem;
    }
    const auto parsed =
        ParseManifest(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!parsed) {
        return "this is not a folder's manifest";
    }
    manifest = *parsed;
    return std::nullopt;
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
