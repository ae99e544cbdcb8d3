#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "leveldata/level_map.h"
#include "leveldata/result.h"
#include "tiled/tiled_map_error.h"

namespace morvane {

// Either a level read from a Tiled map or why the map is not one.
using TiledMapResult = Result<LevelMap, TiledMapProblem>;

// True when bytes look like a Tiled map rather than map text: after a byte order mark and
// whitespace they start with '<' (TMX) or '{' (JSON). Map text starts with a digit.
bool LooksLikeTiledMap(std::span<const std::uint8_t> bytes);

// Reads a level from a TMX or Tiled JSON map as Tiled 1.8 writes them. The map must be finite
// and 32 x 7 with one tile layer, or one named "level" among several; its layer data may be
// CSV, base64 (raw, zlib, gzip or zstd), a JSON array or TMX <tile> elements. The level's
// tileset is the map's only one, or the one named "tiles" (an external tileset by its file's
// name); a cell's tile number is its gid minus that tileset's firstgid. Tiled's column x and
// row y are the level's column and row as the editor shows them. The first problem met is
// returned, in the order of TiledMapError, cells left to right and top row first.
TiledMapResult ReadTiledMap(std::span<const std::uint8_t> bytes);

}  // namespace morvane
