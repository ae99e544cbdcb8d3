#include "tiled/tiled_map_error.h"

namespace morvane {

std::string DescribeTiledMapProblem(const TiledMapProblem& problem) {
    const std::string cell = "x " + std::to_string(problem.x) + ", y " + std::to_string(problem.y);
    switch (problem.error) {
        case TiledMapError::NotAMap:
            return "this is not a Tiled map (" + problem.detail + ")";
        case TiledMapError::Infinite:
            return "the map is infinite; a level is a fixed map of 32 x 7 tiles";
        case TiledMapError::WrongSize:
            return "the map is " + std::to_string(problem.width) + " x " +
                   std::to_string(problem.height) + " tiles, not 32 x 7";
        case TiledMapError::NoTileLayer:
            return "the map has no tile layer";
        case TiledMapError::SeveralTileLayers:
            return "the map has " + std::to_string(problem.width) +
                   " tile layers and not exactly one of them is named \"level\"";
        case TiledMapError::BadLayerData:
            return "the tile layer's data cannot be read: " + problem.detail;
        case TiledMapError::NoTileset:
            return "the map has no tileset";
        case TiledMapError::UnclearTileset:
            return "the map has several tilesets and not exactly one of them is named \"tiles\"";
        case TiledMapError::EmptyCell:
            return "the cell at " + cell + " is empty";
        case TiledMapError::FlippedTile:
            return "the tile at " + cell + " is flipped or rotated";
        case TiledMapError::OtherTileset:
            return "the tile at " + cell + " (gid " + std::to_string(problem.value) +
                   ") is not one of the level's tileset";
        case TiledMapError::TileAbove63:
            return "the tile at " + cell + " is tile " + std::to_string(problem.value) +
                   " of the tileset; tile numbers go up to 63";
    }
    return "the map cannot be read";
}

}  // namespace morvane
