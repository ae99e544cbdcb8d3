#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <initializer_list>

#include "demo_levels.h"
#include "editor_test_support.h"
#include "sources/source_descriptor.h"

namespace morvane::test {
namespace {

using UndoTest = EditorTest;

LevelLayout CartridgeLayout() {
    return *LayoutFor(SourceKind::UeRom, "98304");
}

// Shows the window and makes it the active one: window-wide keys reach only the active window.
void Activate(EditorWindow& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
}

// Types a key as the user does: to the widget that has the focus in window, or to the window.
// The user types into the active window; the offscreen platform does not hand the activation
// back when a list's popup closes, so the window is activated again first.
void Press(EditorWindow& window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    Activate(window);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr && focus->window() == &window ? focus : &window, key,
                    modifiers);
}

void Undo(EditorWindow& window) {
    Press(window, Qt::Key_Z, Qt::ControlModifier);
}

void Redo(EditorWindow& window) {
    Press(window, Qt::Key_Y, Qt::ControlModifier);
}

void RedoWithShift(EditorWindow& window) {
    Press(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
}

// Paints cell with the left button, its brush set to tile first.
void Paint(EditorWindow& window, int cell, int tile) {
    PickItem(*Control<QComboBox>(window, "Combo2", 0), tile);
    LevelGrid& grid = GridOf(window);
    Click(grid, grid.cellRect(cell).center(), Qt::LeftButton);
}

void ClickButton(const EditorWindow& window, const char* name) {
    QTest::mouseClick(Control<QPushButton>(window, name), Qt::LeftButton);
}

// The map of the document and the grid match expected; the listed cells are drawn with their
// tile's picture.
void ExpectShows(const EditorWindow& window, const Workspace& workspace, const LevelMap& expected,
                 std::initializer_list<int> drawnCells) {
    EXPECT_EQ(DocumentOf(window).map(), expected);
    ExpectGridShows(window, expected);
    LevelGrid& grid = GridOf(window);
    const QImage drawn = Grab(grid);
    for (const int cell : drawnCells) {
        EXPECT_EQ(drawn.copy(grid.cellRect(cell)),
                  ExpectedCell(TilePicture(workspace.path(), expected.cell(cell))))
            << "cell " << cell;
    }
}

TEST_F(UndoTest, UndoAndRedoStepThroughThePaints) {
    auto window = openCartridge();
    Activate(*window);
    const LevelDocument& document = DocumentOf(*window);
    const QString dirty = expectedTitle("cart.bin", 1) + "*";
    const LevelMap loaded = TestLevel(0);
    Paint(*window, 5, 10);
    Paint(*window, 100, 20);
    Paint(*window, 223, 30);
    LevelMap painted = loaded;
    painted.setCell(5, 10);
    painted.setCell(100, 20);
    painted.setCell(223, 30);
    ExpectShows(*window, workspace, painted, {5, 100, 223});
    ASSERT_NE(loaded.cell(223), 30);
    ASSERT_NE(loaded.cell(100), 20);

    QSignalSpy captions(&document, &LevelDocument::captionChanged);
    Undo(*window);
    LevelMap expected = painted;
    expected.setCell(223, loaded.cell(223));
    ExpectShows(*window, workspace, expected, {5, 100, 223});
    EXPECT_EQ(window->windowTitle(), dirty);
    EXPECT_EQ(document.levelState(), 0x80);
    // Each step sets the caption again, as a paint does.
    EXPECT_EQ(captions.count(), 1);

    Undo(*window);
    expected.setCell(100, loaded.cell(100));
    ExpectShows(*window, workspace, expected, {5, 100, 223});
    EXPECT_EQ(window->windowTitle(), dirty);
    EXPECT_EQ(captions.count(), 2);

    Redo(*window);
    expected.setCell(100, 20);
    ExpectShows(*window, workspace, expected, {5, 100, 223});
    EXPECT_EQ(window->windowTitle(), dirty);
    EXPECT_EQ(document.levelState(), 0x80);
    EXPECT_EQ(captions.count(), 3);

    RedoWithShift(*window);
    ExpectShows(*window, workspace, painted, {223});
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(UndoTest, RepeatedPaintsOfOneCellComeBackInTurn) {
    auto window = openCartridge();
    Activate(*window);
    const int cell = 60;
    const int before = TestLevel(0).cell(cell);
    for (const int tile : {1, 2, 3}) {
        Paint(*window, cell, tile);
    }
    const LevelDocument& document = DocumentOf(*window);
    for (const int tile : {2, 1, before}) {
        Undo(*window);
        EXPECT_EQ(document.map().cell(cell), tile);
        EXPECT_EQ(GridOf(*window).cellTile(cell), tile);
    }
    // Undoing every paint gives back the loaded map, yet the level still counts as edited.
    EXPECT_EQ(document.map(), TestLevel(0));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
    EXPECT_EQ(document.levelState(), 0x80);
    // With nothing left to undo the key changes nothing at all.
    QSignalSpy captions(&document, &LevelDocument::captionChanged);
    Undo(*window);
    EXPECT_EQ(captions.count(), 0);
    EXPECT_EQ(document.map(), TestLevel(0));
    for (const int tile : {1, 2, 3}) {
        Redo(*window);
        EXPECT_EQ(document.map().cell(cell), tile);
    }
    Redo(*window);
    EXPECT_EQ(document.map().cell(cell), 3);
    EXPECT_EQ(captions.count(), 3);
}

TEST_F(UndoTest, UndoneEditsAreGuardedByTheLoadPrompt) {
    auto window = openCartridge();
    Activate(*window);
    Paint(*window, 9, 44);
    Undo(*window);
    ASSERT_EQ(DocumentOf(*window).map(), TestLevel(0));

    messages.answer(QMessageBox::Cancel);
    ClickButton(*window, "Command1");
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].icon, QMessageBox::Question);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
    // A cancelled load is no load: the history is still there.
    Redo(*window);
    EXPECT_EQ(DocumentOf(*window).map().cell(9), 44);
}

TEST_F(UndoTest, UndoAfterASaveIsAnEditAndTheNextSaveWritesIt) {
    auto window = openCartridge();
    Activate(*window);
    const Bytes original = workspace.read("cart.bin");
    Paint(*window, 7, 40);
    Paint(*window, 8, 41);
    const LevelMap painted = DocumentOf(*window).map();
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command5");
    const Bytes firstSave = workspace.read("cart.bin");
    ASSERT_EQ(firstSave, SavedByCore(original, CartridgeLayout(), 0, painted));
    ASSERT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));

    // The save kept the history.
    Undo(*window);
    LevelMap undone = painted;
    undone.setCell(8, TestLevel(0).cell(8));
    ASSERT_NE(undone, painted);
    ExpectShows(*window, workspace, undone, {7, 8});
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x80);
    EXPECT_EQ(workspace.read("cart.bin"), firstSave);

    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command5");
    ASSERT_EQ(messages.calls().size(), 2u);
    EXPECT_EQ(messages.calls()[1].text, "Map saved!");
    EXPECT_EQ(workspace.read("cart.bin"), SavedByCore(firstSave, CartridgeLayout(), 0, undone));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);

    // Redo after the second save is an edit again.
    Redo(*window);
    EXPECT_EQ(DocumentOf(*window).map(), painted);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
}

TEST_F(UndoTest, LoadingTheSameLevelAgainEmptiesTheHistory) {
    auto window = openCartridge();
    Activate(*window);
    Paint(*window, 3, 50);
    Paint(*window, 4, 51);
    Undo(*window);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command5");
    const LevelMap saved = DocumentOf(*window).map();
    ClickButton(*window, "Command1");
    ASSERT_EQ(messages.calls().size(), 1u);
    messages.forgetCalls();

    const LevelDocument& document = DocumentOf(*window);
    QSignalSpy captions(&document, &LevelDocument::captionChanged);
    Undo(*window);
    Redo(*window);
    RedoWithShift(*window);
    EXPECT_EQ(document.map(), saved);
    ExpectGridShows(*window, saved);
    EXPECT_EQ(document.levelState(), 0);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
    EXPECT_EQ(captions.count(), 0);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(UndoTest, LoadingAnotherLevelEmptiesTheHistory) {
    auto window = openCartridge();
    Activate(*window);
    Paint(*window, 3, 50);
    Paint(*window, 4, 51);
    Undo(*window);
    messages.answer(QMessageBox::No);
    PickItem(*Control<QComboBox>(*window, "Combo1"), 2);
    ASSERT_EQ(messages.calls().size(), 1u);
    messages.forgetCalls();
    ASSERT_EQ(DocumentOf(*window).map(), TestLevel(2));

    const LevelDocument& document = DocumentOf(*window);
    QSignalSpy captions(&document, &LevelDocument::captionChanged);
    Undo(*window);
    Redo(*window);
    RedoWithShift(*window);
    EXPECT_EQ(document.map(), TestLevel(2));
    ExpectGridShows(*window, TestLevel(2));
    EXPECT_EQ(document.levelState(), 2);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 3));
    EXPECT_EQ(captions.count(), 0);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(UndoTest, PaintAfterUndoDropsWhatCouldBeRedone) {
    auto window = openCartridge();
    Activate(*window);
    const LevelDocument& document = DocumentOf(*window);
    Paint(*window, 20, 11);
    Paint(*window, 21, 12);
    Undo(*window);
    Paint(*window, 22, 13);
    LevelMap expected = TestLevel(0);
    expected.setCell(20, 11);
    expected.setCell(22, 13);

    QSignalSpy captions(&document, &LevelDocument::captionChanged);
    Redo(*window);
    RedoWithShift(*window);
    EXPECT_EQ(document.map(), expected);
    EXPECT_EQ(captions.count(), 0);

    Undo(*window);
    Undo(*window);
    Undo(*window);
    EXPECT_EQ(document.map(), TestLevel(0));
    for (int step = 0; step < 3; ++step) {
        Redo(*window);
    }
    // The paint of cell 21 never comes back.
    ExpectShows(*window, workspace, expected, {20, 21, 22});
    EXPECT_EQ(captions.count(), 4);
}

TEST_F(UndoTest, PicksBrushesExportAndAboutAreNoSteps) {
    auto window = openCartridge();
    Activate(*window);
    const LevelDocument& document = DocumentOf(*window);
    LevelGrid& grid = GridOf(*window);
    Paint(*window, 30, 25);
    const int picked = TestLevel(0).cell(31);
    Click(grid, grid.cellRect(31).center(), Qt::LeftButton, Qt::ControlModifier);
    PickItem(*Control<QComboBox>(*window, "Combo2", 2), 33);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command3");
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command4");
    ASSERT_EQ(messages.calls().size(), 2u);

    QSignalSpy captions(&document, &LevelDocument::captionChanged);
    Undo(*window);
    EXPECT_EQ(document.map(), TestLevel(0));
    EXPECT_EQ(captions.count(), 1);
    Undo(*window);
    EXPECT_EQ(captions.count(), 1);
    EXPECT_EQ(Control<QComboBox>(*window, "Combo2", 0)->currentIndex(), picked);
    EXPECT_EQ(Control<QComboBox>(*window, "Combo2", 2)->currentIndex(), 33);
    EXPECT_EQ(messages.calls().size(), 2u);
}

TEST_F(UndoTest, SingleMapHasNothingToUndo) {
    const LevelMap map = PatternLevel(5);
    workspace.write("one.map", demo::MakeSingleMap(map));
    auto window = open("one.map", SourceKind::UncompressedMap);
    Activate(*window);
    LevelGrid& grid = GridOf(*window);
    Click(grid, grid.cellRect(10).center(), Qt::LeftButton);
    const QString title = window->windowTitle();
    QSignalSpy captions(&DocumentOf(*window), &LevelDocument::captionChanged);
    Undo(*window);
    Redo(*window);
    RedoWithShift(*window);
    EXPECT_EQ(DocumentOf(*window).map(), map);
    ExpectGridShows(*window, map);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(captions.count(), 0);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(UndoTest, KeysWorkWhereverTheFocusIs) {
    auto window = openCartridge();
    Activate(*window);
    const LevelDocument& document = DocumentOf(*window);
    Paint(*window, 40, 60);
    Paint(*window, 41, 61);
    auto* levels = Control<QComboBox>(*window, "Combo1");
    auto* load = Control<QPushButton>(*window, "Command1");
    QSignalSpy loads(load, &QPushButton::clicked);

    Activate(*window);
    levels->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), levels);
    QTest::keyClick(levels, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document.map().cell(41), TestLevel(0).cell(41));
    QTest::keyClick(levels, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document.map(), TestLevel(0));
    EXPECT_EQ(levels->currentIndex(), 0);

    load->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), load);
    QTest::keyClick(load, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(document.map().cell(40), 60);
    QTest::keyClick(load, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(document.map().cell(41), 61);
    EXPECT_EQ(loads.count(), 0);

    auto* brush = Control<QComboBox>(*window, "Combo2", 1);
    brush->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), brush);
    QTest::keyClick(brush, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document.map().cell(41), TestLevel(0).cell(41));
    EXPECT_EQ(brush->currentIndex(), 0);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
    EXPECT_TRUE(messages.calls().empty());
}

}  // namespace
}  // namespace morvane::test
