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

QImage RenderLevelPicture(const LevelMap& map, TileImages& tiles) {
    QImage picture(kLevelPictureWidth, kLevelPictureHeight, QImage::Format_RGB32);
    QPainter painter(&picture);
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        DrawLevelCell(painter, LevelCellRect(cell), tiles.scaledTile(map.cell(cell)));
    }
    return picture;
}

}  // namespace morvane
