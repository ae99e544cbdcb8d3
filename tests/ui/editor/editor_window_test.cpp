#include <gtest/gtest.h>
#include <sys/stat.h>

#include "editor_test_support.h"
#include "leveldata/map_text.h"
#include "picture/tile_set.h"
#include "ui/editor/caption_fitting.h"
#include "ui/editor/picture_image.h"
#include "ui/editor/restore_points_window.h"
#include "unprivileged_user.h"

namespace morvane::test {
namespace {

using EditorWindowTest = EditorTest;

// What the export must write for map: the picture's pixels as blue, green and red bytes.
Bytes ExpectedRaw(const LevelMap& map) {
    const QImage picture = ExpectedPicture(map, 16);
    Bytes bytes;
    for (int i = 0; i < picture.width() * picture.height(); ++i) {
        const QRgb pixel = picture.pixel(i % picture.width(), i / picture.width());
        bytes.insert(bytes.end(), {std::uint8_t(qBlue(pixel)), std::uint8_t(qGreen(pixel)),
                                   std::uint8_t(qRed(pixel))});
    }
    return bytes;
}

TEST_F(EditorWindowTest, StartsOnABankWithLevelOneAndTheBrushesAndRefusesToClose) {
    auto window = openCartridge();
    ASSERT_TRUE(window->started());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(1033, 261));
    EXPECT_EQ(Control<QComboBox>(*window, "Combo1")->count(), 99);
    for (const char* enabled : {"Combo1", "Command1", "Command5", "Command3", "Label1"}) {
        EXPECT_TRUE(Control<QWidget>(*window, enabled)->isEnabled()) << enabled;
    }
    for (int slot = 0; slot < 3; ++slot) {
        // Each brush's label, list and preview where they have always been, 148 pixels apart.
        const int shift = 148 * slot;
        EXPECT_EQ(Control<QWidget>(*window, "Label4", slot)->geometry(),
                  QRect(476 + shift, 236, 69, 21));
        EXPECT_EQ(Control<QWidget>(*window, "Combo2", slot)->pos(), QPoint(548 + shift, 236));
        EXPECT_EQ(Control<QWidget>(*window, "Image2", slot)->geometry(),
                  QRect(596 + shift, 238, 16, 16));
        EXPECT_FALSE(Control<QWidget>(*window, "Combo2", slot)->isHidden());
        EXPECT_EQ(Control<QComboBox>(*window, "Combo2", slot)->currentText(), "0");
    }
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
    SourceSelection atRoot = workspace.select("cart.bin", SourceKind::UeRom);
    atRoot.directory = "/";
    EXPECT_EQ(ComposeLevelTitle(atRoot, 0), kCaption + " [/cart.bin]");
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(0));
    EXPECT_TRUE(Control<QWidget>(*window, "Command4")->toolTip().contains("Ctrl+H: restore"));
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command4");
    EXPECT_TRUE(messages.calls.at(0).text.startsWith("Morvane Level Editor, written by"));
    EXPECT_EQ(messages.calls.at(0).title, kCaption);
    // Label3 shows the tile under the pointer; the top-right pixel of the grid is cell 0's.
    auto* display = Control<QLabel>(*window, "Label3");
    Mouse(GridOf(*window), QEvent::MouseMove, {1023, 0}, Qt::NoButton, {});
    EXPECT_EQ(display->text(), QString::number(TestLevel(0).cell(0)));
    Mouse(GridOf(*window), QEvent::MouseMove, {0, 223}, Qt::NoButton, {});
    EXPECT_EQ(display->text(), QString::number(TestLevel(0).cell(223)));
    Mouse(*window, QEvent::MouseMove, {2, 2}, Qt::NoButton, {});  // the margin around the grid
    EXPECT_EQ(display->text(), "");
}

TEST_F(EditorWindowTest, SingleMapIgnoresLevelControlsPressesPasteAndPointsButCopiesAndExports) {
    const LevelMap map = TestLevel(7);
    workspace.write("state.s00", demo::MakeSavestate(map));
    auto window = open("state.s00", SourceKind::MekaSavestate);
    EXPECT_EQ(Control<QComboBox>(*window, "Combo1")->count(), 1);
    EXPECT_EQ(Control<QComboBox>(*window, "Combo1")->currentText(), "N/A");
    for (const char* disabled : {"Combo1", "Command1", "Label1", "Command5"}) {
        EXPECT_FALSE(Control<QWidget>(*window, disabled)->isEnabled()) << disabled;
    }
    EXPECT_TRUE(Control<QWidget>(*window, "Command3")->isEnabled());
    EXPECT_EQ(Control<QWidget>(*window, "Command5")->toolTip(), "");  // no bank to save into
    EXPECT_TRUE(Control<QWidget>(*window, "Combo2", 0)->isHidden());
    EXPECT_EQ(window->windowTitle(), expectedTitle("state.s00", 0));
    LevelGrid& grid = GridOf(*window);
    Click(grid, grid.cellRect(20).center(), Qt::LeftButton);
    Click(grid, grid.cellRect(20).center(), Qt::LeftButton, Qt::ControlModifier);
    Press(*window, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), FormatMapText(map));
    QGuiApplication::clipboard()->setText(QString::fromStdString(FormatMapText(TestLevel(8))));
    Press(*window, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(DocumentOf(*window).map(), map);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command3");
    EXPECT_EQ(workspace.read("state.s00.raw"), ExpectedRaw(map));
    // Ctrl+H tells that a single map has no restore points, and opens no window.
    messages.answer(QMessageBox::Ok);
    Press(*window, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(messages.calls.at(1).text,
              "state.s00 is a single map. A single map is never written, so it has no restore "
              "points.");
    EXPECT_EQ(messages.calls.at(1).icon, QMessageBox::Information);
    EXPECT_EQ(window->findChild<RestorePointsWindow*>(), nullptr);
}

TEST_F(EditorWindowTest, UnreadableLevelsWarnAndKeepTheShownOneAndPickingLoadsOnce) {
    Bytes bank = MakeTestBank();
    bank[1] = 0x7F;  // level 1 points before the bank
    bank[4] = 0x10;  // level 3 points into the pointer table
    bank[5] = 0x80;
    messages.answer(QMessageBox::Ok);
    auto window = openCartridge(bank);
    EXPECT_TRUE(messages.calls.at(0).text.startsWith("The level was not loaded.\nLevel 1: "));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 0));
    // No level is shown yet: nothing to copy, and Save names no space.
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    Press(*window, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "kept");
    EXPECT_EQ(Control<QPushButton>(*window, "Command5")->toolTip().toStdString(), "");
    QSignalSpy loads(&DocumentOf(*window), &LevelDocument::levelLoaded);
    auto* levels = Control<QComboBox>(*window, "Combo1");
    PickItem(*levels, 4);
    EXPECT_EQ(loads.count(), 1);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(4));
    // The keyboard raises several selection signals; still one load.
    levels->setFocus();
    QTest::keyClick(levels, Qt::Key_Down);
    EXPECT_EQ(loads.count(), 2);
    messages.answer(QMessageBox::Ok);
    PickItem(*levels, 2);
    EXPECT_EQ(messages.calls.at(1).text,
              "The level was not loaded.\nLevel 3: its pointer at file byte 98308 does not point "
              "into the bank's level data.");
    EXPECT_EQ(messages.calls.at(1).icon, QMessageBox::Warning);
    EXPECT_EQ(levels->currentIndex(), 5);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(5));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 6));
}

TEST_F(EditorWindowTest, SourceThatCannotBeOpenedWarnsAndStartsNothing) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(workspace.filePath("pipe.bin")), 0600), 0);
    for (const char* name : {"missing.bin", "pipe.bin"}) {
        messages.calls.clear();
        messages.answer(QMessageBox::Ok);
        auto window = open(name, SourceKind::ExtractedMapData);
        EXPECT_FALSE(window->started());
        EXPECT_TRUE(messages.calls.at(0).text.startsWith(
            QStringLiteral("The file %1 cannot be opened").arg(name)));
    }
}

// Permissions bind only users other than root, so these run as one.
TEST_F(EditorWindowTest, UnreadableTileReadOnlyFolderAndReadOnlySource) {
    if (RerunAsUnprivilegedUser()) {
        return;
    }
    const TemporaryMode unreadable(workspace.filePath("gif/0.gif").toStdString(),
                                   std::filesystem::perms::none);
    auto window = openCartridge();
    // Test level 0 holds tile 0 in cells 0 and 1, tile 7 in cells 2 and 3.
    EXPECT_EQ(ShownCell(*window, 0),
              ExpectedCell(ToQImage(TileSet::Placeholder(0), QImage::Format_ARGB32)));
    EXPECT_EQ(ShownCell(*window, 2), ExpectedTile(7));
    const TemporaryMode readOnlyFolder(workspace.path().toStdString(),
                                       std::filesystem::perms(0555));
    const QStringList before = QDir(workspace.path()).entryList(QDir::Files);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command3");
    EXPECT_EQ(messages.calls.at(0).text,
              "The picture was not saved.\nLevel1.raw: the file could not be created (Permission "
              "denied).");
    EXPECT_EQ(QDir(workspace.path()).entryList(QDir::Files), before);
    const TemporaryMode readOnly(workspace.filePath("cart.bin").toStdString(),
                                 std::filesystem::perms(0444));
    messages.answer(QMessageBox::Ok);
    EXPECT_FALSE(open("cart.bin", SourceKind::UeRom)->started());
    EXPECT_EQ(messages.calls.at(1).text,
              "The file cart.bin cannot be opened for reading and writing: access to the file was "
              "denied (Permission denied).");
    EXPECT_EQ(messages.calls.at(1).icon, QMessageBox::Warning);
}

// A desktop font too large for the fixed layout shrinks, pixel by pixel, until every caption
// fits its control: a caption as tall as its control fits, and a control without one (a
// picture) limits nothing.
TEST(CaptionFitting, FontShrinksUntilEveryCaptionFitsItsControlAndNoFurther) {
    const auto sized = [](int pixels) {
        QFont font = QApplication::font();
        font.setPixelSize(pixels);
        return font;
    };
    const int height = QFontMetrics(sized(12)).height();
    ASSERT_LT(height, QFontMetrics(sized(13)).height());
    for (const auto& [caption, start, fitted] :
         {std::tuple<QString, int, int>{"Level", 16, 12}, {"", 16, 16}, {"Level", 13, 12}}) {
        QWidget window;
        window.setFont(sized(start));
        QLabel label(caption, &window);
        label.setGeometry(0, 0, 300, height);
        FitFontToCaptions(window);
        EXPECT_EQ(window.font().pixelSize(), fitted) << caption.toStdString();
    }
}

using ExportTest = EditorTest;

TEST_F(ExportTest, WritesTheShownLevelWithItsUnsavedEditsAndNeverReplacesTheSource) {
    auto window = openCartridge();
    const Bytes cartridge = workspace.read("cart.bin");
    PickItem(*Control<QComboBox>(*window, "Combo1"), 6);
    // Tiles 3, 7, ... have transparent corners: they show the grid's background.
    const LevelMap painted = Paint(*window, {40, 41}, 7);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command3");
    EXPECT_EQ(messages.calls.at(0).text,
              "This level map has been successfully saved as an image in RAW format!");
    EXPECT_EQ(messages.calls.at(0).icon, QMessageBox::Information);
    EXPECT_EQ(workspace.read("Level7.raw"), ExpectedRaw(painted));
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x86);
    EXPECT_EQ(workspace.read("cart.bin"), cartridge);
    const Bytes bank = MakeTestBank();
    workspace.write("Level1.raw", bank);  // a bank named as its level 1 picture would be
    messages.answer(QMessageBox::Ok);
    ClickButton(*open("Level1.raw", SourceKind::ExtractedMapData), "Command3");
    EXPECT_EQ(messages.calls.at(1).text,
              "The picture was not saved.\nLevel1.raw is the open source file.");
    EXPECT_EQ(workspace.read("Level1.raw"), bank);
}

// Saves and exports whose writes fail at once, part-way or at the flush: the source holds the
// whole old bank, no picture is left, the level keeps its mark and the user is told why.
TEST_F(ExportTest, FailedWritesLeaveTheOldFilesAndTheMark) {
    const char* refused = "the operating system refused the write";
    const struct {
        std::optional<MemoryFileData::PartialWrite> partial;
        bool failFlush, failHistory;
        const char* saveProblem;
    } faults[] = {{MemoryFileData::PartialWrite{0, 0}, false, false, refused},
                  {MemoryFileData::PartialWrite{0, 6000}, false, false, refused},
                  {std::nullopt, true, false, refused},
                  {std::nullopt, true, true, "no restore point could be made in cart.bin.history"}};
    for (const auto& fault : faults) {
        MemoryFileSystem files;
        files.failMakeDirectory = fault.failHistory;
        auto cartridge =
            files.add("cart.bin", demo::MakeCartridge(MakeTestBank(), SourceKind::UeRom));
        const Bytes original = cartridge->bytes;
        EditorWindow window(workspace.select("cart.bin", SourceKind::UeRom), messages, files);
        Paint(window, {9}, 44);
        cartridge->partialWrite = fault.partial;
        cartridge->failFlush = fault.failFlush;
        messages.calls.clear();
        messages.answer(QMessageBox::Ok);
        ClickButton(window, "Command5");
        // The save's restore point is made before the faults reach new files.
        files.createdFileFaults.partialWrite = fault.partial;
        files.createdFileFaults.failFlush = fault.failFlush;
        messages.answer(QMessageBox::Ok);
        ClickButton(window, "Command3");
        EXPECT_TRUE(messages.calls.at(0).text.startsWith("The level was not saved."));
        EXPECT_TRUE(messages.calls.at(0).text.contains(fault.saveProblem));
        EXPECT_TRUE(
            messages.calls.at(1).text.startsWith("The picture was not saved.\nLevel1.raw: "));
        EXPECT_EQ(cartridge->bytes, original);
        EXPECT_FALSE(files.find("Level1.raw"));
        EXPECT_FALSE(files.find("Level1.raw.part"));
        EXPECT_EQ(window.windowTitle(), expectedTitle("cart.bin", 1) + "*");
    }
}

}  // namespace
}  // namespace morvane::test
