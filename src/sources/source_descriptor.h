#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "leveldata/level_layout.h"
#include "sources/source_kind.h"

namespace morvane {

// The values the source dialog shows for a kind and hands to the editor as text: where the
// level data starts, whether it is packed, and how many levels it holds. Fixed per kind.
struct SourceDescriptor {
    SourceKind kind = SourceKind::Unknown;
    std::string_view dataOffset;  // "98304", "0", "489" or ""
    std::string_view compressed;  // "Yes", "No" or ""
    std::string_view numMaps;     // "99", "1" or ""
    bool canOpen = false;

    // The kind as decimal text, "0" to "5".
    std::string tag() const;
};

SourceDescriptor DescriptorFor(SourceKind kind);

// Parses a data offset text: decimal digits, with empty text counting as 0. Anything else
// gives nothing.
std::optional<std::int64_t> ParseDataOffset(std::string_view text);

// The level layout of a source of this kind whose data starts at the offset in dataOffsetText.
// Nothing for Unknown or an offset that does not parse.
std::optional<LevelLayout> LayoutFor(SourceKind kind, std::string_view dataOffsetText);

}  // namespace morvane
