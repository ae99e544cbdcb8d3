#include "ui/editor/level_grid.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "picture/level_picture.h"

namespace morvane {

LevelGrid::LevelGrid(const LevelDocument& document, TileSet& tiles, QWidget* parent)
    : QWidget(parent),
      m_document(document),
      m_images(tiles),
      m_picture(kLevelPictureWidth, kLevelPictureHeight, kLevelBackground) {
    m_tiles.fill(-1);
    // The grid stands for the 224 cells; cell k is addressed by its index.
    setObjectName(QStringLiteral("Image1"));
    setFixedSize(kLevelPictureWidth, kLevelPictureHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    connect(&document, &LevelDocument::levelLoaded, this, &LevelGrid::showLevel);
    connect(&document, &LevelDocument::cellChanged, this, &LevelGrid::showCell);
}

QRect LevelGrid::cellRect(int cell) const {
    return QRect(LevelMap::columnOf(cell) * TileSet::kCellSize,
                 LevelMap::rowOf(cell) * TileSet::kCellSize, TileSet::kCellSize,
                 TileSet::kCellSize);
}

int LevelGrid::cellAt(QPoint point) const {
    if (point.x() < 0 || point.y() < 0 || point.x() >= kLevelPictureWidth ||
        point.y() >= kLevelPictureHeight) {
        return -1;
    }
    return LevelMap::cellAt(point.x() / TileSet::kCellSize, point.y() / TileSet::kCellSize);
}

void LevelGrid::showCell(int cell) {
    const int tile = m_document.map().cell(cell);
    m_tiles[std::size_t(cell)] = tile;
    DrawLevelCell(m_picture, cell, m_images.cell(tile));
    update(cellRect(cell));
}

void LevelGrid::showLevel() {
    const LevelMap& map = m_document.map();
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        m_tiles[std::size_t(cell)] = map.cell(cell);
    }
    DrawLevel(m_picture, map, m_images);
    update();
}

void LevelGrid::paintEvent(QPaintEvent* event) {
    // The picture is shown where it lies, without a copy of its pixels.
    const QImage shown(reinterpret_cast<const uchar*>(m_picture.row(0)), m_picture.width(),
                       m_picture.height(), m_picture.width() * int(sizeof(std::uint32_t)),
                       QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(event->rect(), shown, event->rect());
}

void LevelGrid::mousePressEvent(QMouseEvent* event) {
    const int cell = cellAt(event->position().toPoint());
    if (cell >= 0) {
        emit cellPressed(cell, event->button(), event->modifiers());
    }
}

void LevelGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click arrives as this event; only presses paint or pick, and
    // a double-click is one press followed by a click, not two presses.
    event->accept();
}

void LevelGrid::mouseMoveEvent(QMouseEvent* event) {
    const int cell = cellAt(event->position().toPoint());
    if (cell >= 0) {
        emit cellHovered(cell);
    }
}

}  // namespace morvane
