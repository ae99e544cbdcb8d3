#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "leveldata/level_map.h"
#include "leveldata/result.h"
#include "tiled/tiled_map_error.h"

namespace morvane {

// A level read from a Tiled map, and the level number the map gives, if any.
struct TiledLevel {
    LevelMap map;
    std::optional<int> level;
};

// Either a level read from a Tiled map or why the map is not one.
using TiledMapResult = Result<TiledLevel, TiledMapProblem>;

// True when bytes look like a Tiled map rather than map text: after a byte order mark and
// whitespace they start with '<' (TMX) or '{' (JSON). Map text starts with a digit.
bool LooksLikeTiledMap(std::span<const std::uint8_t> bytes);

// Reads a level from a TMX or Tiled JSON map as Tiled 1.8 writes them. The map must be finite
// and 32 x 7 with one tile layer, or one named "level" among several, the others empty; its
// layer data may be CSV, base64 (raw, zlib, gzip or zstd), a JSON array or TMX <tile>
// elements. The level's tileset is the map's only one, or any named "tiles" (an external
// tileset by its file's name); a cell's tile number is its gid minus the firstgid of the tileset
// that holds it. Tiled's column x and row y are the level's column and row as the editor shows
// them. The first problem met is returned, in the order of TiledMapError, with every bad cell.
TiledMapResult ReadTiledMap(std::span<const std::uint8_t> bytes);

}  // namespace morvane
