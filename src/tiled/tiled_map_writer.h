#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "leveldata/level_map.h"

namespace morvane {

// The tileset's file, beside the maps that use it.
inline constexpr std::string_view kTilesetFileName = "tiles.tsx";

// One tile picture as the tileset lists it: its path relative to the tileset's folder and its
// size in pixels.
struct TilesetImage {
    std::string source;
    int width = 0;
    int height = 0;
};

// The size of the tileset's tiles: the widest and the tallest of its pictures.
struct TileSize {
    int width = 0;
    int height = 0;
};
TileSize TilesetTileSize(std::span<const TilesetImage> images);

// A level as a TMX map: orthogonal, 32 x 7 tiles of tileSize, finite, the background colour of
// the editor's grid, the level's number (a level of a bank, not a single map) as the int map
// property "level", the tileset kTilesetFileName at firstgid 1 and one tile layer "level" in
// CSV, laid out as the editor shows the level (cell 0 at the top right). Tile number n is gid
// n + 1. ReadTiledMap reads it back to the same map and number.
std::string FormatTmxMap(const LevelMap& map, TileSize tileSize, std::optional<int> level);

// The tileset of the 64 tile numbers as a TSX image collection: tile id n is tile number n,
// its picture images[n]. images holds 64 entries.
std::string FormatTileset(std::span<const TilesetImage> images);

}  // namespace morvane
