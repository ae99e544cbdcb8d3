#include "ui/editor/editor_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "demo_levels.h"
#include "editor_test_support.h"
#include "leveldata/level_codec.h"
#include "ui/editor/level_picture.h"
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
    EXPECT_EQ(DocumentOf(*window).oldPackedLength(), PackLevel(TestLevel(0)).size());
    EXPECT_TRUE(messages.calls.empty());
}

TEST_F(EditorWindowTest, StartsOnASingleMapWithTheLevelControlsOff) {
    workspace.write("state.s00", demo::MakeSavestate(TestLevel(7)));
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
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(7));
}

TEST_F(EditorWindowTest, ComposesTheCaptionWithThePlatformSeparator) {
    SourceSelection selection = workspace.select("cart.bin", SourceKind::UeRom);
    selection.directory = "/maps";
    EXPECT_EQ(ComposeLevelTitle(selection, 7),
              "Morvane Level Editor v1.1 [/maps/cart.bin - Level 7]");
    selection.directory = "/";
    EXPECT_EQ(ComposeLevelTitle(selection, 0), "Morvane Level Editor v1.1 [/cart.bin]");
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
    const QString title = window->windowTitle();
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
    EXPECT_EQ(window->windowTitle(), title);
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
    LevelGrid& grid = GridOf(*window);
    const QImage shown = Grab(grid);
    // Test level 0 holds tile 0 in cells 0 and 1, tile 7 in cells 2 and 3.
    EXPECT_EQ(shown.copy(grid.cellRect(0)), ExpectedCell(TileImages::Placeholder(0)));
    EXPECT_EQ(shown.copy(grid.cellRect(2)),
              ExpectedCell(TilePicture(workspace.path(), TestLevel(0).cell(2))));
}

TEST_F(EditorWindowTest, CloseRequestIsRefusedAndLabel3FollowsThePointer) {
    auto window = openCartridge();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());

    auto* display = Control<QLabel>(*window, "Label3");
    LevelGrid& grid = GridOf(*window);
    const LevelMap& level = DocumentOf(*window).map();
    MoveTo(grid, {1023, 0});  // the top-right pixel of the grid is cell 0's
    EXPECT_EQ(display->text(), QString::number(level.cell(0)));
    MoveTo(grid, {0, 223});
    EXPECT_EQ(display->text(), QString::number(level.cell(223)));
    MoveTo(*window, {2, 2});  // the margin around the grid
    EXPECT_EQ(display->text(), "");
}

}  // namespace
}  // namespace morvane::test
