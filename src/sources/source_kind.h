#pragma once

#include <optional>
#include <string_view>

namespace morvane {

// The kinds of file the editor recognises. The value is the index of the option button that
// shows the kind in the source dialog.
enum class SourceKind {
    UeRom = 0,
    JRom = 1,
    ExtractedMapData = 2,
    MekaSavestate = 3,
    UncompressedMap = 4,
    Unknown = 5,
};

inline constexpr int kSourceKindCount = 6;

// The kind's name as the code spells it, e.g. "UeRom".
std::string_view SourceKindName(SourceKind kind);

// The caption of the kind's option button, e.g. "The UE Rom".
std::string_view SourceKindCaption(SourceKind kind);

// The kind with value 0..5, or nothing for any other value.
std::optional<SourceKind> SourceKindFromValue(int value);

}  // namespace morvane
