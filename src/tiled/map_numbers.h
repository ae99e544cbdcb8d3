#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tiled/tiled_map_error.h"

namespace morvane {

// The numbers a map gives, checked alike in TMX and JSON: a size, a tileset's first gid and the
// map's level. Each takes the number's text as the file writes it ("32", "7abc", "4294967328")
// and its value when the text is a whole decimal number in int64's range.
struct MapNumber {
    std::string text;
    std::optional<std::int64_t> value;
};

// A TMX attribute's or JSON number's text as a MapNumber.
MapNumber ReadMapNumber(std::string_view text);

// Checks a map's width or height (what: "width"): a whole number from 0.
std::optional<TiledMapProblem> CheckSize(std::string_view what, const MapNumber& number,
                                         std::int64_t& size);

// Checks the firstgid of the tileset named name: a whole number from 1 to 2^32 - 1.
std::optional<TiledMapProblem> CheckFirstGid(const std::string& name, const MapNumber& number,
                                             std::uint32_t& firstGid);

// Checks the map property that names the level: a whole number from 1 to 99.
std::optional<TiledMapProblem> CheckLevel(const MapNumber& number, std::optional<int>& level);

}  // namespace morvane
