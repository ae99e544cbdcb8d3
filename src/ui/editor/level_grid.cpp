#include "ui/editor/level_grid.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "ui/editor/level_picture.h"

namespace morvane {

LevelGrid::LevelGrid(const LevelDocument& document, TileImages& tiles, QWidget* parent)
    : QWidget(parent), m_document(document), m_images(tiles) {
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
    return LevelCellRect(cell);
}

int LevelGrid::cellAt(QPoint point) const {
    return LevelCellAt(point);
}

void LevelGrid::showCell(int cell) {
    const int tile = m_document.map().cell(cell);
    m_tiles[std::size_t(cell)] = tile;
    m_pictures[std::size_t(cell)] = m_images.scaledTile(tile);
    update(cellRect(cell));
}

void LevelGrid::showLevel() {
    const LevelMap& map = m_document.map();
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        m_tiles[std::size_t(cell)] = map.cell(cell);
    }
    m_pictures = LevelCellPictures(map, m_images);
    update();
}

void LevelGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        const QRect target = cellRect(cell);
        if (event->rect().intersects(target)) {
            DrawLevelCell(painter, target, m_pictures[std::size_t(cell)]);
        }
    }
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
