#pragma once

#include <optional>
#include <string>

#include "leveldata/level_layout.h"
#include "sources/source_kind.h"

namespace morvane {

// What the source dialog hands to the editor when the user opens a file: the dialog's caption,
// the selected file and its directory, and the descriptor texts exactly as the dialog shows
// them. Values travel as text and are parsed where they are used.
struct SourceSelection {
    std::string caption;     // the dialog's caption, "Morvane Level Editor v1.1"
    std::string directory;   // the directory list's path, the folder of the selected file
    std::string fileName;    // the selected file's bare name
    std::string tag;         // the SourceKind as decimal text, "0" to "5"
    std::string dataOffset;  // "98304", "0", "489" or ""
    std::string compressed;  // "Yes", "No" or ""
    std::string numMaps;     // "99", "1" or ""

    // The kind the tag names: the whole tag must be the decimal value of a kind. Nothing for
    // any other text.
    std::optional<SourceKind> kind() const;

    // The level layout of the kind the tag names, with its data at dataOffset, as LayoutFor
    // gives it. Nothing when the tag names no kind, for Unknown or an offset that does not parse.
    std::optional<LevelLayout> layout() const;
};

}  // namespace morvane
