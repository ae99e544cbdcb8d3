#pragma once

#include <string>

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
};

}  // namespace morvane
