#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>

#include "demo_levels.h"
#include "editor_test_support.h"
#include "gif_writer.h"
#include "ui/editor/level_picture.h"

namespace morvane::test {
namespace {

using PaintingTest = EditorTest;

// Collects the region of every paint event of a widget.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget& widget) { widget.installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

QComboBox& Brush(const EditorWindow& window, int slot) {
    return *Control<QComboBox>(window, "Combo2", slot);
}

// The preview of slot and the picture of tile, compared with transparent pixels alike.
QImage Preview(const EditorWindow& window, int slot) {
    return Normalised(Control<QLabel>(window, "Image2", slot)->pixmap().toImage());
}

QImage Picture(const Workspace& workspace, int tile) {
    return Normalised(TilePicture(workspace.path(), tile));
}

// The first cell of map holding tile, or -1.
int CellHolding(const LevelMap& map, int tile) {
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        if (map.cell(cell) == tile) {
            return cell;
        }
    }
    return -1;
}

TEST_F(PaintingTest, BrushListsShowTheirTileAndKeepItAcrossLoads) {
    auto window = openCartridge();
    PickItem(Brush(*window, 1), 17);
    EXPECT_EQ(Brush(*window, 1).currentText(), "17");
    EXPECT_EQ(Preview(*window, 1), Picture(workspace, 17));
    EXPECT_EQ(Preview(*window, 0), Picture(workspace, 0));
    PickItem(Brush(*window, 2), 63);
    EXPECT_EQ(Preview(*window, 2), Picture(workspace, 63));

    PickItem(*Control<QComboBox>(*window, "Combo1"), 3);
    EXPECT_EQ(Brush(*window, 0).currentText(), "0");
    EXPECT_EQ(Brush(*window, 1).currentText(), "17");
    EXPECT_EQ(Brush(*window, 2).currentText(), "63");
    EXPECT_EQ(Preview(*window, 1), Picture(workspace, 17));
}

TEST_F(PaintingTest, PreviewShowsAPictureAtItsOwnSize) {
    demo::IndexedPicture wide;
    wide.width = 24;
    wide.height = 10;
    wide.palette = {{0x10, 0x80, 0x20}};
    wide.pixels.assign(240, 0);
    std::string error;
    ASSERT_TRUE(demo::WriteGif(workspace.filePath("gif/9.gif").toStdString(), wide, error));
    auto window = openCartridge();
    PickItem(Brush(*window, 2), 9);
    auto* preview = Control<QLabel>(*window, "Image2", 2);
    EXPECT_EQ(preview->geometry(), QRect(892, 238, 24, 10));
    EXPECT_EQ(Preview(*window, 2).pixel(23, 9), qRgb(0x10, 0x80, 0x20));
}

TEST_F(PaintingTest, EachButtonPaintsItsBrushIntoTheCell) {
    auto window = openCartridge();
    window->show();
    PickItem(Brush(*window, 0), 10);
    PickItem(Brush(*window, 1), 23);
    PickItem(Brush(*window, 2), 30);
    LevelGrid& grid = GridOf(*window);
    const LevelDocument& document = DocumentOf(*window);
    const QString title = document.title();
    const int cell = 40;

    for (const auto& [button, tile] :
         {std::pair{Qt::LeftButton, 10}, std::pair{Qt::MiddleButton, 23},
          std::pair{Qt::RightButton, 30}}) {
        Click(grid, grid.cellRect(cell).center(), button);
        EXPECT_EQ(document.map().cell(cell), tile);
        EXPECT_EQ(grid.cellTile(cell), tile);
        EXPECT_EQ(Grab(grid).copy(grid.cellRect(cell)),
                  ExpectedCell(TilePicture(workspace.path(), tile)));
        EXPECT_EQ(window->windowTitle(), title + "*");
        EXPECT_EQ(document.levelState(), 0x80);
    }
    // Other buttons are no brushes.
    Click(grid, grid.cellRect(cell).center(), Qt::BackButton);
    EXPECT_EQ(document.map().cell(cell), 30);
    // Only the press counts: a move with the button held paints nothing more.
    QMouseEvent drag(QEvent::MouseMove, QPointF(grid.cellRect(cell + 1).center()),
                     QPointF(grid.mapToGlobal(grid.cellRect(cell + 1).center())), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&grid, &drag);
    EXPECT_EQ(document.map().cell(cell + 1), TestLevel(0).cell(cell + 1));
    // The rest of the level is untouched.
    LevelMap expected = TestLevel(0);
    expected.setCell(cell, 30);
    EXPECT_EQ(document.map(), expected);
    ExpectGridShows(*window, expected);
}

TEST_F(PaintingTest, PaintingRepaintsOnlyThatCell) {
    auto window = openCartridge();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    PickItem(Brush(*window, 0), 5);
    QApplication::processEvents();
    LevelGrid& grid = GridOf(*window);
    PaintRecorder recorder(grid);
    Click(grid, grid.cellRect(77).center(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(recorder.painted, QRegion(grid.cellRect(77)));
}

TEST_F(PaintingTest, PaintingTheTileACellHoldsStillMarksTheLevel) {
    auto window = openCartridge();
    const LevelDocument& document = DocumentOf(*window);
    QSignalSpy captions(&document, &LevelDocument::captionChanged);
    const int cell = 12;
    PickItem(Brush(*window, 0), TestLevel(0).cell(cell));
    Click(GridOf(*window), GridOf(*window).cellRect(cell).center(), Qt::LeftButton);
    EXPECT_EQ(document.map(), TestLevel(0));
    EXPECT_EQ(document.levelState(), 0x80);
    EXPECT_EQ(window->windowTitle(), document.title() + "*");
    // Every painted cell sets the caption again.
    Click(GridOf(*window), GridOf(*window).cellRect(cell).center(), Qt::LeftButton);
    EXPECT_EQ(captions.count(), 2);
    EXPECT_EQ(window->windowTitle(), document.title() + "*");
}

TEST_F(PaintingTest, ADoubleClickIsOnePress) {
    auto window = openCartridge();
    LevelDocument& document = DocumentOf(*window);
    QSignalSpy cells(&document, &LevelDocument::cellChanged);
    LevelGrid& grid = GridOf(*window);
    // What the window system sends for a double-click: press, release, double-click, release.
    const QPointF point(grid.cellRect(20).center());
    const QPointF global(grid.mapToGlobal(point));
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const bool down = type != QEvent::MouseButtonRelease;
        QMouseEvent event(type, point, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&grid, &event);
    }
    EXPECT_EQ(cells.count(), 1);
    EXPECT_EQ(document.history().count(), 1);
}

TEST_F(PaintingTest, CtrlPicksTheCellsTileIntoTheButtonsBrush) {
    auto window = openCartridge();
    LevelGrid& grid = GridOf(*window);
    const LevelDocument& document = DocumentOf(*window);
    const QString title = window->windowTitle();
    const int seventeen = CellHolding(TestLevel(0), 17);
    const int forty = CellHolding(TestLevel(0), 40);
    const int three = CellHolding(TestLevel(0), 3);
    ASSERT_GE(seventeen, 0);

    Click(grid, grid.cellRect(seventeen).center(), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Brush(*window, 0).currentText(), "17");
    EXPECT_EQ(Preview(*window, 0), Picture(workspace, 17));
    Click(grid, grid.cellRect(forty).center(), Qt::RightButton, Qt::ControlModifier);
    EXPECT_EQ(Brush(*window, 2).currentText(), "40");
    EXPECT_EQ(Preview(*window, 2), Picture(workspace, 40));
    Click(grid, grid.cellRect(three).center(), Qt::MiddleButton, Qt::ControlModifier);
    EXPECT_EQ(Brush(*window, 1).currentText(), "3");
    EXPECT_EQ(Preview(*window, 1), Picture(workspace, 3));
    EXPECT_EQ(document.map(), TestLevel(0));
    EXPECT_EQ(document.levelState(), 0);
    EXPECT_EQ(window->windowTitle(), title);

    // A pick leaves the unsaved mark as it was.
    Click(grid, grid.cellRect(0).center(), Qt::LeftButton);
    Click(grid, grid.cellRect(forty).center(), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Brush(*window, 0).currentText(), "40");
    EXPECT_EQ(window->windowTitle(), title + "*");
    EXPECT_EQ(document.levelState(), 0x80);
}

TEST_F(PaintingTest, CtrlWithShiftOrAltPaints) {
    auto window = openCartridge();
    LevelGrid& grid = GridOf(*window);
    const LevelDocument& document = DocumentOf(*window);
    PickItem(Brush(*window, 0), 50);
    PickItem(Brush(*window, 2), 51);
    Click(grid, grid.cellRect(3).center(), Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(document.map().cell(3), 50);
    Click(grid, grid.cellRect(4).center(), Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(document.map().cell(4), 51);
    Click(grid, grid.cellRect(5).center(), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(document.map().cell(5), 50);
    EXPECT_EQ(Brush(*window, 0).currentText(), "50");
    EXPECT_EQ(Brush(*window, 2).currentText(), "51");
    EXPECT_EQ(document.levelState(), 0x80);
}

TEST_F(PaintingTest, SingleMapIgnoresPressesButShowsTheTileUnderThePointer) {
    const LevelMap map = PatternLevel(9);
    workspace.write("one.map", demo::MakeSingleMap(map));
    auto window = open("one.map", SourceKind::UncompressedMap);
    LevelGrid& grid = GridOf(*window);
    const QString title = window->windowTitle();
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton}) {
        for (const Qt::KeyboardModifiers modifiers :
             {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
              Qt::ControlModifier | Qt::ShiftModifier}) {
            Click(grid, grid.cellRect(20).center(), button, modifiers);
        }
    }
    EXPECT_EQ(DocumentOf(*window).map(), map);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);
    EXPECT_EQ(window->windowTitle(), title);
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(Brush(*window, slot).currentIndex(), -1);
    }
    MoveTo(grid, grid.cellRect(20).center());
    EXPECT_EQ(Control<QLabel>(*window, "Label3")->text(), QString::number(map.cell(20)));
}

}  // namespace
}  // namespace morvane::test
