#include "sources/source_detector.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace morvane {

namespace {

constexpr std::int64_t kCartridgeLength = 131072;
constexpr std::int64_t kCartridgeHeader = 0x7FF0;
constexpr std::int64_t kSavestateLength = 24779;
constexpr std::int64_t kUncompressedLength = 224;

constexpr std::array<std::uint8_t, 8> kSegaSignature = {'T', 'M', 'R', ' ', 'S', 'E', 'G', 'A'};
// Header bytes 12..15: product code, version, region and ROM size of each release.
constexpr std::array<std::uint8_t, 4> kUeRelease = {0x15, 0x23, 0x00, 0x7F};
constexpr std::array<std::uint8_t, 4> kJRelease = {0x17, 0x00, 0x60, 0x6F};
constexpr std::array<std::uint8_t, 4> kMekaSignature = {'M', 'E', 'K', 'A'};
// The first pointer of every bank: level 1's stream starts right after the table.
constexpr std::array<std::uint8_t, 2> kBankSignature = {0xC6, 0x80};

// True when the file holds exactly `expected` at offset.
template <std::size_t N>
bool HasBytes(ByteFile& file, std::int64_t offset, const std::array<std::uint8_t, N>& expected) {
    std::array<std::uint8_t, N> actual{};
    std::size_t got = 0;
    return file.readAt(offset, actual, got).ok() && got == N && actual == expected;
}

SourceKind ClassifyCartridge(ByteFile& file) {
    std::array<std::uint8_t, 16> header{};
    std::size_t got = 0;
    if (!file.readAt(kCartridgeHeader, header, got).ok() || got != header.size()) {
        return SourceKind::Unknown;
    }
    if (!std::equal(kSegaSignature.begin(), kSegaSignature.end(), header.begin())) {
        return SourceKind::Unknown;
    }
    if (std::equal(kUeRelease.begin(), kUeRelease.end(), header.begin() + 12)) {
        return SourceKind::UeRom;
    }
    if (std::equal(kJRelease.begin(), kJRelease.end(), header.begin() + 12)) {
        return SourceKind::JRom;
    }
    return SourceKind::Unknown;
}

}  // namespace

SourceKind DetectSourceKind(ByteFile& file) {
    std::int64_t length = 0;
    if (!file.size(length).ok()) {
        return SourceKind::Unknown;
    }
    if (length == kCartridgeLength) {
        return ClassifyCartridge(file);
    }
    if (length == kSavestateLength && HasBytes(file, 0, kMekaSignature)) {
        return SourceKind::MekaSavestate;
    }
    if (length == kUncompressedLength) {
        return SourceKind::UncompressedMap;
    }
    if (HasBytes(file, 0, kBankSignature)) {
        return SourceKind::ExtractedMapData;
    }
    return SourceKind::Unknown;
}

SourceKind DetectSourceKind(FileSystem& files, const std::string& path) {
    FileStatus status;
    const auto file = files.open(path, OpenMode::ReadOnly, status);
    if (!file) {
        return SourceKind::Unknown;
    }
    const SourceKind kind = DetectSourceKind(*file);
    file->close();
    return kind;
}

}  // namespace morvane
