#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "tiled/tiled_map_contents.h"
#include "tiled/tiled_map_error.h"

namespace morvane {

// Reads the bytes of a TMX map (XML) into contents: the map's size, its tilesets and its tile
// layers, those in groups too, as stored. Returns a NotAMap problem when the bytes are not XML
// or not a <map>; nothing else is checked here.
std::optional<TiledMapProblem> ReadTmxContents(std::span<const std::uint8_t> bytes,
                                               TiledMapContents& contents);

}  // namespace morvane
