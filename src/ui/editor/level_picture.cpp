#include "ui/editor/level_picture.h"

namespace morvane {

QRect LevelCellRect(int cell) {
    return QRect(LevelMap::columnOf(cell) * TileImages::kCellSize,
                 LevelMap::rowOf(cell) * TileImages::kCellSize, TileImages::kCellSize,
                 TileImages::kCellSize);
}

int LevelCellAt(QPoint point) {
    if (point.x() < 0 || point.y() < 0 || point.x() >= kLevelPictureWidth ||
        point.y() >= kLevelPictureHeight) {
        return -1;
    }
    return LevelMap::cellAt(point.x() / TileImages::kCellSize, point.y() / TileImages::kCellSize);
}

void DrawLevelCell(QPainter& painter, const QRect& target, const QImage& picture) {
    painter.fillRect(target, QColor::fromRgb(kLevelBackground));
    if (!picture.isNull()) {
        painter.drawImage(target, picture);
    }
}

std::array<QImage, LevelMap::kCellCount> LevelCellPictures(const LevelMap& map, TileImages& tiles) {
    std::array<QImage, LevelMap::kTileCount> byTile;
    std::array<QImage, LevelMap::kCellCount> cells;
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        QImage& picture = byTile[map.cell(cell)];
        if (picture.isNull()) {
            picture = tiles.scaledTile(map.cell(cell));
        }
        cells[std::size_t(cell)] = picture;
    }
    return cells;
}

QImage RenderLevelPicture(const LevelMap& map, TileImages& tiles) {
    QImage picture(kLevelPictureWidth, kLevelPictureHeight, QImage::Format_RGB32);
    QPainter painter(&picture);
    const auto cells = LevelCellPictures(map, tiles);
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        DrawLevelCell(painter, LevelCellRect(cell), cells[std::size_t(cell)]);
    }
    return picture;
}

}  // namespace morvane
