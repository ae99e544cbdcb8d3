#include "tiled/tiled_map_error.h"

#include <set>

namespace morvane {

namespace {

// A refusal names this many bad cells, then how many more there are.
constexpr std::size_t kCellsNamed = 10;

std::string CellName(const BadCell& cell) {
    return "x " + std::to_string(cell.x) + ", y " + std::to_string(cell.y);
}

// What is wrong with a cell, after its name.
std::string CellFault(const BadCell& cell) {
    switch (cell.error) {
        case CellError::Empty:
            return " is empty";
        case CellError::Flipped:
            return " is flipped or rotated";
        case CellError::OtherTileset:
            return " holds gid " + std::to_string(cell.value) +
                   ", not a tile of the level's tileset";
        case CellError::Above63:
            return " holds tile " + std::to_string(cell.value) +
                   " of the tileset; tile numbers go up to 63";
    }
    return " cannot be read";
}

// What to do about cells of one kind, for one cell or for several.
std::string CellAdvice(CellError error, bool several) {
    switch (error) {
        case CellError::Empty:
            return several ? "paint a tile in each empty cell" : "paint a tile there";
        case CellError::Flipped:
            return std::string(several ? "undo each flip" : "undo the flip") +
                   " (press X, Y or Z again)";
        case CellError::OtherTileset:
            return "paint " + std::string(several ? "those cells" : "it") +
                   " from the tileset \"tiles\"";
        case CellError::Above63:
            return "paint " + std::string(several ? "those cells" : "it") +
                   " with a tile from 0 to 63";
    }
    return "";
}

std::string DescribeCells(const std::vector<BadCell>& cells) {
    std::set<CellError> kinds;
    for (const BadCell& cell : cells) {
        kinds.insert(cell.error);
    }
    std::string text;
    if (cells.size() == 1) {
        text = "the cell at " + CellName(cells.front()) + CellFault(cells.front());
    } else {
        text = std::to_string(cells.size()) + " cells hold no tile the level can use: ";
        for (std::size_t at = 0; at < cells.size() && at < kCellsNamed; ++at) {
            text += (at ? "; " : "") + CellName(cells[at]) + CellFault(cells[at]);
        }
        if (cells.size() > kCellsNamed) {
            text += "; and " + std::to_string(cells.size() - kCellsNamed) + " more";
        }
    }
    std::string advice;
    for (const CellError kind : kinds) {
        advice += (advice.empty() ? "" : ", and ") + CellAdvice(kind, cells.size() > 1);
    }
    return text + "; " + advice;
}

}  // namespace

std::string DescribeTiledMapProblem(const TiledMapProblem& problem) {
    const std::string layer = "tile layer \"" + problem.layer + "\"";
    switch (problem.error) {
        case TiledMapError::NotAMap:
            return "this is not a Tiled map (" + problem.detail + ")";
        case TiledMapError::BadNumber:
            return problem.detail;
        case TiledMapError::GroupsTooDeep:
            return "the map's group layers are nested more than " + std::to_string(kMaxGroupDepth) +
                   " deep";
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
            return (problem.layer.empty() ? "the tile layer's data" : "the " + layer + "'s data") +
                   " cannot be read: " + problem.detail;
        case TiledMapError::ExtraLayerHoldsTiles:
            return "the " + layer +
                   " holds tiles too, and only the layer \"level\" is the level; move them into "
                   "it (select " +
                   layer + " and use Layer > Merge Layer Down) or delete the layer";
        case TiledMapError::NoTileset:
            return "the map has no tileset";
        case TiledMapError::UnclearTileset:
            return "the map has several tilesets and none of them is named \"tiles\"";
        case TiledMapError::BadCells:
            return DescribeCells(problem.cells);
    }
    return "the map cannot be read";
}

}  // namespace morvane
