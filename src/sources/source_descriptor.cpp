#include "sources/source_descriptor.h"

#include <array>
#include <charconv>

namespace morvane {

namespace {

constexpr std::array<SourceDescriptor, kSourceKindCount> kDescriptors = {{
    {SourceKind::UeRom, "98304", "Yes", "99", true},
    {SourceKind::JRom, "98304", "Yes", "99", true},
    {SourceKind::ExtractedMapData, "0", "Yes", "99", true},
    {SourceKind::MekaSavestate, "489", "No", "1", true},
    {SourceKind::UncompressedMap, "0", "No", "1", true},
    {SourceKind::Unknown, "", "", "", false},
}};

}  // namespace

std::string SourceDescriptor::tag() const {
    return std::to_string(int(kind));
}

SourceDescriptor DescriptorFor(SourceKind kind) {
    return kDescriptors[std::size_t(kind)];
}

std::optional<std::int64_t> ParseDataOffset(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<LevelLayout> LayoutFor(SourceKind kind, std::string_view dataOffsetText) {
    if (kind == SourceKind::Unknown) {
        return std::nullopt;
    }
    const auto offset = ParseDataOffset(dataOffsetText);
    if (!offset) {
        return std::nullopt;
    }
    const bool hasBank = kind == SourceKind::UeRom || kind == SourceKind::JRom ||
                         kind == SourceKind::ExtractedMapData;
    return LevelLayout{*offset, hasBank};
}

}  // namespace morvane
