#pragma once

#include <QWidget>
#include <array>

#include "leveldata/level_map.h"
#include "picture/picture.h"
#include "picture/tile_set.h"
#include "ui/editor/level_document.h"

namespace morvane {

// The 32 x 7 grid of tile pictures that shows the document's level. The grid keeps the level's
// picture, each cell drawn from its tile's picture when its value was set (at a load, or when
// it was painted), and a change of one cell redraws and repaints only that cell. Presses and
// pointer moves are reported by cell; what they do is the window's business.
class LevelGrid : public QWidget {
    Q_OBJECT

public:
    // document and tiles must outlive the grid.
    LevelGrid(const LevelDocument& document, TileSet& tiles, QWidget* parent = nullptr);

    // Where cell 0..223 lies, in the grid's own coordinates.
    QRect cellRect(int cell) const;
    // The cell at a point in the grid's coordinates, or -1.
    int cellAt(QPoint point) const;
    // The tile number cell 0..223 shows, or -1 while no level is shown.
    int cellTile(int cell) const { return m_tiles[std::size_t(cell)]; }

signals:
    // A mouse button went down over cell, with the modifier keys held at that moment.
    void cellPressed(int cell, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // The pointer moved over cell.
    void cellHovered(int cell);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void showCell(int cell);
    void showLevel();

    const LevelDocument& m_document;
    TileSet& m_images;
    std::array<int, LevelMap::kCellCount> m_tiles;
    // The level as shown; the background colour until a level is loaded.
    Picture m_picture;
};

}  // namespace morvane
