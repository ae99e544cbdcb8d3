#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QClipboard>
#include <QLabel>
#include <QSignalSpy>
#include <set>

#include "editor_test_support.h"
#include "leveldata/map_text.h"
#include "ui/editor/tile_images.h"
#include "unprivileged_user.h"

namespace morvane::test {
namespace {

using EditorWindowTest = EditorTest;

TEST_F(EditorWindowTest, StartsOnABankWithLevelOneAndTheBrushes) {
    auto window = openCartridge();
    ASSERT_TRUE(window->started());
    auto* levels = Control<QComboBox>(*window, "Combo1");
    EXPECT_EQ(levels->count(), 99);
    EXPECT_EQ(levels->currentText(), "1");
    for (const char* enabled : {"Combo1", "Command1", "Command5", "Command3", "Label1"}) {
        EXPECT_TRUE(Control<QWidget>(*window, enabled)->isEnabled()) << enabled;
    }
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_FALSE(Control<QWidget>(*window, "Combo2", slot)->isHidden());
        EXPECT_EQ(Control<QComboBox>(*window, "Combo2", slot)->currentText(), "0");
    }
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(0));
    const QString keys = Control<QPushButton>(*window, "Command4")->toolTip();
    for (const char* key : {"Ctrl+Z", "Ctrl+Y", "Ctrl+Shift+Z", "Ctrl+C", "Ctrl+V", "F5"}) {
        EXPECT_TRUE(keys.contains(key)) << key;
    }
}

TEST_F(EditorWindowTest, SingleMapHasNoLevelControlsIgnoresPressesAndPasteButCopies) {
    const LevelMap map = TestLevel(7);
    workspace.write("state.s00", demo::MakeSavestate(map));
    auto window = open("state.s00", SourceKind::MekaSavestate);
    auto* levels = Control<QComboBox>(*window, "Combo1");
    EXPECT_EQ(levels->count(), 1);
    EXPECT_EQ(levels->currentText(), "N/A");
    for (const char* disabled : {"Combo1", "Command1", "Label1", "Command5"}) {
        EXPECT_FALSE(Control<QWidget>(*window, disabled)->isEnabled()) << disabled;
    }
    EXPECT_TRUE(Control<QWidget>(*window, "Command3")->isEnabled());
    EXPECT_TRUE(Control<QWidget>(*window, "Combo2", 0)->isHidden());
    EXPECT_EQ(window->windowTitle(), expectedTitle("state.s00", 0));

    LevelGrid& grid = GridOf(*window);
    Click(grid, grid.cellRect(20).center(), Qt::LeftButton);
    Click(grid, grid.cellRect(20).center(), Qt::LeftButton, Qt::ControlModifier);
    MoveTo(grid, grid.cellRect(20).center());
    EXPECT_EQ(Control<QLabel>(*window, "Label3")->text(), QString::number(map.cell(20)));
    Press(*window, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), FormatMapText(map));
    QGuiApplication::clipboard()->setText(QString::fromStdString(FormatMapText(TestLevel(8))));
    Press(*window, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(DocumentOf(*window).map(), map);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);
}

TEST_F(EditorWindowTest, ComposesTheCaptionWithThePlatformSeparator) {
    SourceSelection selection = workspace.select("cart.bin", SourceKind::UeRom);
    selection.directory = "/maps";
    EXPECT_EQ(ComposeLevelTitle(selection, 7), kCaption + " [/maps/cart.bin - Level 7]");
    selection.directory = "/";
    EXPECT_EQ(ComposeLevelTitle(selection, 0), kCaption + " [/cart.bin]");
}

TEST_F(EditorWindowTest, PickingALevelLoadsItOnce) {
    auto window = openCartridge();
    QSignalSpy loads(&DocumentOf(*window), &LevelDocument::levelLoaded);
    auto* levels = Control<QComboBox>(*window, "Combo1");
    PickItem(*levels, 4);
    EXPECT_EQ(loads.count(), 1);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(4));
    EXPECT_EQ(DocumentOf(*window).levelState(), 4);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 5));
    // The keyboard raises several selection signals; still one load.
    levels->setFocus();
    QTest::keyClick(levels, Qt::Key_Down);
    EXPECT_EQ(loads.count(), 2);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(5));
}

TEST_F(EditorWindowTest, UnreadableLevelWarnsAndKeepsTheShownOne) {
    Bytes bank = MakeTestBank();
    bank[4] = 0x10;  // level 3 points into the pointer table
    bank[5] = 0x80;
    auto window = openCartridge(bank);
    messages.answer(QMessageBox::Ok);
    PickItem(*Control<QComboBox>(*window, "Combo1"), 2);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].text,
              "The level was not loaded.\nLevel 3: its pointer at file byte 98308 does not point "
              "into the bank's level data.");
    EXPECT_EQ(messages.calls[0].icon, QMessageBox::Warning);
    EXPECT_EQ(messages.calls[0].title, kCaption);
    EXPECT_EQ(Control<QComboBox>(*window, "Combo1")->currentIndex(), 0);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(0));
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
}

TEST_F(EditorWindowTest, UnreadableFirstLevelLeavesTheFileInTheCaption) {
    Bytes bank = MakeTestBank();
    bank[1] = 0x7F;  // level 1 points before the bank
    messages.answer(QMessageBox::Ok);
    auto window = openCartridge(bank);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_TRUE(messages.calls[0].text.startsWith("The level was not loaded.\nLevel 1: "));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 0));
}

TEST_F(EditorWindowTest, SourceThatCannotBeOpenedWarnsAndStartsNothing) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(workspace.filePath("pipe.bin")), 0600), 0);
    for (const char* name : {"missing.bin", "pipe.bin"}) {
        messages.calls.clear();
        messages.answer(QMessageBox::Ok);
        auto window = open(name, SourceKind::ExtractedMapData);
        EXPECT_FALSE(window->started());
        ASSERT_EQ(messages.calls.size(), 1u);
        EXPECT_TRUE(messages.calls[0].text.startsWith(
            QStringLiteral("The file %1 cannot be opened").arg(name)));
        EXPECT_FALSE(DocumentOf(*window).isOpen());
    }
}

// Permissions bind only users other than root, so these run as one.
TEST_F(EditorWindowTest, ReadOnlySourceWarnsAtStartUp) {
    if (RerunAsUnprivilegedUser()) {
        return;
    }
    workspace.write("cart.bin", demo::MakeCartridge(MakeTestBank(), SourceKind::UeRom));
    const TemporaryMode readOnly(workspace.filePath("cart.bin").toStdString(),
                                 std::filesystem::perms(0444));
    messages.answer(QMessageBox::Ok);
    auto window = open("cart.bin", SourceKind::UeRom);
    EXPECT_FALSE(window->started());
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].text,
              "The file cart.bin cannot be opened for reading and writing: access to the file was "
              "denied (Permission denied).");
    EXPECT_EQ(messages.calls[0].icon, QMessageBox::Warning);
}

TEST_F(EditorWindowTest, UnreadableTilePictureShowsItsPlaceholder) {
    if (RerunAsUnprivilegedUser()) {
        return;
    }
    const TemporaryMode unreadable(workspace.filePath("gif/0.gif").toStdString(),
                                   std::filesystem::perms::none);
    auto window = openCartridge();
    // Test level 0 holds tile 0 in cells 0 and 1, tile 7 in cells 2 and 3.
    EXPECT_EQ(ShownCell(*window, 0), ExpectedCell(TileImages::Placeholder(0)));
    EXPECT_EQ(ShownCell(*window, 2), ExpectedTile(7));
}

TEST_F(EditorWindowTest, CloseRequestIsRefusedAndLabel3FollowsThePointer) {
    auto window = openCartridge();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());

    auto* display = Control<QLabel>(*window, "Label3");
    const LevelMap level = TestLevel(0);
    MoveTo(GridOf(*window), {1023, 0});  // the top-right pixel of the grid is cell 0's
    EXPECT_EQ(display->text(), QString::number(level.cell(0)));
    MoveTo(GridOf(*window), {0, 223});
    EXPECT_EQ(display->text(), QString::number(level.cell(223)));
    MoveTo(*window, {2, 2});  // the margin around the grid
    EXPECT_EQ(display->text(), "");
}

TEST(TileImages, DecodesEachPictureOncePerChange) {
    Workspace workspace;
    TileImages tiles(workspace.path());
    std::set<int> used;
    for (const int index : {1, 3}) {
        for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
            used.insert(demo::MakeDemoLevel(index).cell(cell));
        }
    }
    // Switching between two levels and back decodes each tile they use once.
    for (const int index : {1, 3, 1}) {
        RenderLevelPicture(demo::MakeDemoLevel(index), tiles);
    }
    EXPECT_EQ(tiles.decodeCount(), int(used.size()));

    // A picture rewritten on disk shows at its next use.
    demo::IndexedPicture square{8, 8, {{0x12, 0x34, 0x56}}, std::vector<std::uint8_t>(64, 0), -1};
    std::string error;
    ASSERT_TRUE(demo::WriteGif(workspace.filePath("gif/1.gif").toStdString(), square, error));
    EXPECT_EQ(tiles.tile(1).size(), QSize(8, 8));
    EXPECT_EQ(tiles.scaledTile(1).pixel(31, 31), qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(tiles.decodeCount(), int(used.size()) + 1);
}

TEST(TileImages, FindsPicturesInEitherLetterCaseAndNumbersMissingOrBadOnes) {
    Workspace workspace;
    QDir folder(workspace.path());
    ASSERT_TRUE(folder.rename("gif", "GIF"));
    ASSERT_TRUE(folder.rename("GIF/5.gif", "GIF/5.GIF"));
    ASSERT_TRUE(folder.remove("GIF/12.gif"));
    workspace.write("GIF/13.gif", {'n', 'o', 't', ' ', 'a', ' ', 'g', 'i', 'f'});
    TileImages tiles(workspace.path());
    EXPECT_EQ(tiles.picturePath(5), workspace.filePath("GIF/5.GIF"));
    EXPECT_EQ(tiles.picturePath(6), workspace.filePath("GIF/6.gif"));
    EXPECT_NE(tiles.tile(5), TileImages::Placeholder(5));
    EXPECT_EQ(tiles.tile(12), TileImages::Placeholder(12));
    EXPECT_EQ(tiles.tile(13), TileImages::Placeholder(13));
    EXPECT_NE(TileImages::Placeholder(12), TileImages::Placeholder(13));
    EXPECT_EQ(tiles.scaledTile(12).size(), QSize(32, 32));
}

}  // namespace
}  // namespace morvane::test
