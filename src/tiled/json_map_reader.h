#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "tiled/tiled_map_contents.h"
#include "tiled/tiled_map_error.h"

namespace morvane {

// Reads the bytes of a Tiled JSON map into contents, as ReadTmxContents does for TMX. Returns a
// NotAMap problem when the bytes are not JSON or not an object with a map's fields.
std::optional<TiledMapProblem> ReadJsonContents(std::span<const std::uint8_t> bytes,
                                                TiledMapContents& contents);

}  // namespace morvane
