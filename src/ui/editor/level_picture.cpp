#include "ui/editor/level_picture.h"

#include <cstring>

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

std::array<QImage, LevelMap::kTileCount> SmallCellPictures(TileImages& tiles) {
    constexpr int step = TileImages::kCellSize / kSmallCellSize;
    std::array<QImage, LevelMap::kTileCount> cells;
    QImage full(TileImages::kCellSize, TileImages::kCellSize, QImage::Format_RGB32);
    for (int tile = 0; tile < LevelMap::kTileCount; ++tile) {
        {
            QPainter painter(&full);
            DrawLevelCell(painter, full.rect(), tiles.scaledTile(tile));
        }
        QImage& small = cells[std::size_t(tile)];
        small = QImage(kSmallCellSize, kSmallCellSize, QImage::Format_RGB32);
        for (int y = 0; y < kSmallCellSize; ++y) {
            for (int x = 0; x < kSmallCellSize; ++x) {
                small.setPixel(x, y, full.pixel(x * step, y * step));
            }
        }
    }
    return cells;
}

QImage RenderSmallLevelPicture(const LevelMap& map,
                               const std::array<QImage, LevelMap::kTileCount>& cells) {
    QImage picture(kSmallPictureWidth, kSmallPictureHeight, QImage::Format_RGB32);
    // Whole rows of a cell are copied at once: building all 99 pictures must stay quick.
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        const QImage& source = cells[map.cell(cell)];
        const int left = LevelMap::columnOf(cell) * kSmallCellSize;
        const int top = LevelMap::rowOf(cell) * kSmallCellSize;
        for (int y = 0; y < kSmallCellSize; ++y) {
            std::memcpy(reinterpret_cast<QRgb*>(picture.scanLine(top + y)) + left,
                        source.constScanLine(y), kSmallCellSize * sizeof(QRgb));
        }
    }
    return picture;
}

}  // namespace morvane
