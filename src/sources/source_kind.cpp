#include "sources/source_kind.h"

#include <array>

namespace morvane {

namespace {

constexpr std::array<std::string_view, kSourceKindCount> kNames = {
    "UeRom", "JRom", "ExtractedMapData", "MekaSavestate", "UncompressedMap", "Unknown"};

constexpr std::array<std::string_view, kSourceKindCount> kCaptions = {
    "The UE Rom",       "The J Rom",           "Extracted map data",
    "A Meka savestate", "An uncompressed map", "Unknown"};

}  // namespace

std::string_view SourceKindName(SourceKind kind) {
    return kNames[std::size_t(kind)];
}

std::string_view SourceKindCaption(SourceKind kind) {
    return kCaptions[std::size_t(kind)];
}

std::optional<SourceKind> SourceKindFromValue(int value) {
    if (value < 0 || value >= kSourceKindCount) {
        return std::nullopt;
    }
    return SourceKind(value);
}

}  // namespace morvane
