#pragma once

#include <array>

#include "leveldata/level_map.h"
#include "picture/picture.h"
#include "picture/tile_set.h"

namespace morvane {

// The level as the grid shows it: 32 x 7 cells of TileSet::kCellSize pixels.
inline constexpr int kLevelPictureWidth = LevelMap::kColumns * TileSet::kCellSize;
inline constexpr int kLevelPictureHeight = LevelMap::kRows * TileSet::kCellSize;

// Copies cellPicture (TileSet::kCellSize square) into level, a picture of kLevelPictureWidth x
// kLevelPictureHeight, at the place of cell 0..223: cell 0 at the top right, cells running
// right to left within a row, rows downward.
void DrawLevelCell(Picture& level, int cell, const Picture& cellPicture);

// Draws every cell of map into level (as DrawLevelCell). Each tile's picture is asked for
// once: a level uses few tiles, and every request looks at the tile's file.
void DrawLevel(Picture& level, const LevelMap& map, TileSet& tiles);

// The small picture of a level in the level list: kSmallCellSize pixels a cell, cells in the
// grid's order, 128 x 28 pixels.
inline constexpr int kSmallCellSize = 4;
inline constexpr int kSmallPictureWidth = LevelMap::kColumns * kSmallCellSize;
inline constexpr int kSmallPictureHeight = LevelMap::kRows * kSmallCellSize;

// Every tile's grid cell reduced to kSmallCellSize x kSmallCellSize by taking the top-left
// pixel of each block.
std::array<Picture, LevelMap::kTileCount> SmallCellPictures(TileSet& tiles);

// The small picture of map (opaque), put together from cells made by SmallCellPictures.
Picture RenderSmallLevelPicture(const LevelMap& map,
                                const std::array<Picture, LevelMap::kTileCount>& cells);

}  // namespace morvane
