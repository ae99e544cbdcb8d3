#pragma once

#include <cstdint>
#include <string>

namespace morvane {

// Why a Tiled map (TMX or JSON) cannot be read as a level.
enum class TiledMapError {
    // The bytes are not a TMX or Tiled JSON map; detail says what the parser found.
    NotAMap,
    // The map is infinite: its layers are chunks of any extent, not a fixed 32 x 7.
    Infinite,
    // The map is width x height tiles, not 32 x 7.
    WrongSize,
    // The map has no tile layer.
    NoTileLayer,
    // The map has count tile layers and not exactly one of them is named "level".
    SeveralTileLayers,
    // The layer's data cannot be decoded; detail says why.
    BadLayerData,
    // The map has no tileset.
    NoTileset,
    // The map has several tilesets and not exactly one of them is named "tiles".
    UnclearTileset,
    // The cell at x, y holds no tile (gid 0).
    EmptyCell,
    // The tile at x, y is flipped or rotated.
    FlippedTile,
    // The tile at x, y (value: its gid) belongs to another tileset than the level's.
    OtherTileset,
    // The tile at x, y is number value of the level's tileset, above 63.
    TileAbove63,
};

// A problem with the facts its message names; fields that do not apply stay at their defaults.
struct TiledMapProblem {
    TiledMapError error = TiledMapError::NotAMap;
    // The cell in Tiled's coordinates: column x from the left, row y from the top, from 0.
    int x = 0;
    int y = 0;
    // WrongSize: the map's size; SeveralTileLayers: the count in width.
    int width = 0;
    int height = 0;
    std::uint32_t value = 0;
    std::string detail = {};
};

// Words a problem for a user, in one sentence without its full stop, e.g. "the cell at x 3,
// y 0 is empty".
std::string DescribeTiledMapProblem(const TiledMapProblem& problem);

}  // namespace morvane
