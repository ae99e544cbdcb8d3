#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "leveldata/level_map.h"
#include "leveldata/result.h"

namespace morvane {

// A level as text: 7 lines of 32 tile numbers, separated by single spaces, in screen order
// (left to right, top row first), each line ended by a newline. This is what
// `morvane-levels dump` prints, what `set` reads and what the editor puts on the clipboard.
//
// Reading is lenient about layout: any whitespace (space, tab, CR, LF, VT, FF) separates the
// numbers, and there must be exactly 224 of them, each 0..63 written in decimal digits.

enum class MapTextError {
    // A word is not written in decimal digits.
    NotANumber,
    // A number is 64 or more.
    TileOutOfRange,
    // The count is wrong and a line of the text holds other than 32 numbers.
    BadLine,
    // The count is wrong and every line looks right (or the text is one line).
    WrongCount,
};

// Why a text is not a map, with the facts the message names.
struct MapTextProblem {
    MapTextError error = MapTextError::WrongCount;
    // The offending word, for NotANumber and TileOutOfRange.
    std::string word;
    // The line number (1-based, counting blank lines too), for BadLine.
    int line = 0;
    // The numbers on that line (BadLine) or in the whole text (WrongCount).
    int count = 0;
};

// Words a problem for a user, e.g. "line 3 has 31 numbers" or "64 is not a tile number".
std::string DescribeMapTextProblem(const MapTextProblem& problem);

// Either a map or why the text is not one.
using MapTextResult = Result<LevelMap, MapTextProblem>;

// Reads a map from text in the layout above. The first bad word is reported before a wrong
// count; when the count is wrong and the text spans several lines, the first line that does not
// hold 32 numbers is named.
MapTextResult ParseMapText(std::string_view text);

// The map as text in the layout above; ParseMapText reads it back to the same map.
std::string FormatMapText(const LevelMap& map);

}  // namespace morvane
