#include "picture/level_picture.h"

#include <algorithm>

namespace morvane {

namespace {

// Copies the size x size picture source into target with its top-left corner at the place
// cell has in a grid of size-pixel cells.
void CopyCell(Picture& target, int cell, const Picture& source, int size) {
    const int left = LevelMap::columnOf(cell) * size;
    const int top = LevelMap::rowOf(cell) * size;
    for (int y = 0; y < size; ++y) {
        std::copy_n(source.row(y), size, target.row(top + y) + left);
    }
}

}  // namespace

void DrawLevelCell(Picture& level, int cell, const Picture& cellPicture) {
    CopyCell(level, cell, cellPicture, TileSet::kCellSize);
}

void DrawLevel(Picture& level, const LevelMap& map, TileSet& tiles) {
    std::array<const Picture*, LevelMap::kTileCount> byTile{};
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        const Picture*& picture = byTile[map.cell(cell)];
        if (!picture) {
            picture = &tiles.cell(map.cell(cell));
        }
        DrawLevelCell(level, cell, *picture);
    }
}

std::array<Picture, LevelMap::kTileCount> SmallCellPictures(TileSet& tiles) {
    constexpr int step = TileSet::kCellSize / kSmallCellSize;
    std::array<Picture, LevelMap::kTileCount> cells;
    for (int tile = 0; tile < LevelMap::kTileCount; ++tile) {
        const Picture& full = tiles.cell(tile);
        Picture& small = cells[std::size_t(tile)];
        small = Picture(kSmallCellSize, kSmallCellSize, kLevelBackground);
        for (int y = 0; y < kSmallCellSize; ++y) {
            for (int x = 0; x < kSmallCellSize; ++x) {
                small.setPixel(x, y, full.pixel(x * step, y * step));
            }
        }
    }
    return cells;
}

Picture RenderSmallLevelPicture(const LevelMap& map,
                                const std::array<Picture, LevelMap::kTileCount>& cells) {
    Picture picture(kSmallPictureWidth, kSmallPictureHeight, kLevelBackground);
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        CopyCell(picture, cell, cells[map.cell(cell)], kSmallCellSize);
    }
    return picture;
}

}  // namespace morvane
