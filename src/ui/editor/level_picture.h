#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <array>

#include "leveldata/level_map.h"
#include "ui/editor/tile_images.h"

namespace morvane {

// The colour behind the tile pictures: transparent pixels of a tile show it, and so does a
// grid with no level loaded. The grid on screen and every picture made of a level use it.
inline constexpr QRgb kLevelBackground = 0xFF000000 | 0x2C3A4A;

// The level as the grid shows it: 32 x 7 cells of TileImages::kCellSize pixels.
inline constexpr int kLevelPictureWidth = LevelMap::kColumns * TileImages::kCellSize;
inline constexpr int kLevelPictureHeight = LevelMap::kRows * TileImages::kCellSize;

// Where cell 0..223 lies in the level picture: cell 0 at the top right, cells running right
// to left within a row, rows downward.
QRect LevelCellRect(int cell);

// The cell at point of the level picture, or -1 outside it.
int LevelCellAt(QPoint point);

// Paints one cell at target (a kCellSize square): the background colour, then picture (already
// scaled to the cell) over it. A null picture leaves the cell empty, showing the background.
void DrawLevelCell(QPainter& painter, const QRect& target, const QImage& picture);

// The picture of every cell of map, scaled to the cell. Each tile's picture is asked for once:
// a level uses few tiles, and every request looks at the tile's file.
std::array<QImage, LevelMap::kCellCount> LevelCellPictures(const LevelMap& map, TileImages& tiles);

// The whole level as one opaque picture of kLevelPictureWidth x kLevelPictureHeight pixels,
// painted cell by cell exactly as the grid paints it.
QImage RenderLevelPicture(const LevelMap& map, TileImages& tiles);

// The small picture of a level in the level list: kSmallCellSize pixels a cell, cells in the
// grid's order, 128 x 28 pixels.
inline constexpr int kSmallCellSize = 4;
inline constexpr int kSmallPictureWidth = LevelMap::kColumns * kSmallCellSize;
inline constexpr int kSmallPictureHeight = LevelMap::kRows * kSmallCellSize;

// Every tile's cell exactly as the grid draws it (the background under transparent pixels),
// reduced to kSmallCellSize x kSmallCellSize by taking the top-left pixel of each block.
std::array<QImage, LevelMap::kTileCount> SmallCellPictures(TileImages& tiles);

// The small picture of map (Format_RGB32), put together from cells made by SmallCellPictures.
QImage RenderSmallLevelPicture(const LevelMap& map,
                               const std::array<QImage, LevelMap::kTileCount>& cells);

}  // namespace morvane
