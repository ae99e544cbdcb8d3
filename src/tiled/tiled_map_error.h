#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

// Why a Tiled map (TMX or JSON) cannot be read as a level.
enum class TiledMapError {
    // The bytes are not a TMX or Tiled JSON map; detail says what the parser found.
    NotAMap,
    // A number the map gives is not a whole number in range; detail names it and its text.
    BadNumber,
    // Group layers are nested deeper than kMaxGroupDepth.
    GroupsTooDeep,
    // The map is infinite: its layers are chunks of any extent, not a fixed 32 x 7.
    Infinite,
    // The map is width x height tiles, not 32 x 7.
    WrongSize,
    // The map has no tile layer.
    NoTileLayer,
    // The map has count tile layers and not exactly one of them is named "level".
    SeveralTileLayers,
    // The data of the level's layer (or of the layer named layer) cannot be decoded; detail
    // says why.
    BadLayerData,
    // The tile layer named layer, besides the level's, holds tiles.
    ExtraLayerHoldsTiles,
    // The map has no tileset.
    NoTileset,
    // The map has several tilesets and none of them is named "tiles".
    UnclearTileset,
    // Cells hold no tile of the level's tileset: cells lists each, left to right, top row first.
    BadCells,
};

// Why one cell of the level's layer holds no tile the level can use.
enum class CellError {
    // The cell holds no tile (gid 0).
    Empty,
    // The tile is flipped or rotated.
    Flipped,
    // The tile (value: its gid) belongs to another tileset than the level's.
    OtherTileset,
    // The tile is number value of the level's tileset, above 63.
    Above63,
};

// A cell in Tiled's coordinates: column x from the left, row y from the top, from 0.
struct BadCell {
    CellError error = CellError::Empty;
    int x = 0;
    int y = 0;
    std::uint32_t value = 0;
};

// Groups may nest this deep; deeper nesting is no map a designer made, and is refused before
// it costs time or memory.
inline constexpr int kMaxGroupDepth = 64;

// A problem with the facts its message names; fields that do not apply stay at their defaults.
struct TiledMapProblem {
    TiledMapError error = TiledMapError::NotAMap;
    // WrongSize: the map's size; SeveralTileLayers: the count in width.
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::string detail = {};
    // BadLayerData, ExtraLayerHoldsTiles: the layer's name, empty for the level's own layer.
    std::string layer = {};
    std::vector<BadCell> cells = {};
};

// Words a problem for a user, in one sentence without its full stop, e.g. "the cell at x 3,
// y 0 is empty; paint a tile there". Text from the map (names, values) is quoted as it is; a
// caller that prints it to a terminal makes it printable.
std::string DescribeTiledMapProblem(const TiledMapProblem& problem);

}  // namespace morvane
