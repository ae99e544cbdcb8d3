#include "ui/editor/editor_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "bank_builder.h"
#include "demo_levels.h"
#include "editor_test_support.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_loader.h"
#include "leveldata/memory_file_system.h"
#include "scripted_message_boxes.h"
#include "sources/source_descriptor.h"
#include "ui/editor/level_document.h"
#include "ui/editor/level_grid.h"
#include "ui/editor/level_picture.h"

namespace morvane::test {
namespace {

using EditorWindowTest = EditorTest;

TEST_F(EditorWindowTest, StartsOnABankWithLevelOneAndTheBrushes) {
    auto window = openCartridge();
    ASSERT_TRUE(window->started());
    window->show();
    EXPECT_TRUE(messages.calls().empty());

    auto* levels = Control<QComboBox>(*window, "Combo1");
    EXPECT_EQ(Items(*levels), Numbers(1, 99));
    EXPECT_EQ(levels->currentText(), "1");
    EXPECT_FALSE(levels->isEditable());
    for (const char* enabled : {"Combo1", "Command1", "Command5", "Command3", "Command4",
                                "Command2", "Label1", "Label2", "Label3"}) {
        EXPECT_TRUE(Control<QWidget>(*window, enabled)->isEnabled()) << enabled;
        EXPECT_TRUE(Control<QWidget>(*window, enabled)->isVisible()) << enabled;
    }
    for (int slot = 0; slot < 3; ++slot) {
        auto* tiles = Control<QComboBox>(*window, "Combo2", slot);
        EXPECT_TRUE(tiles->isVisible());
        EXPECT_TRUE(Control<QLabel>(*window, "Label4", slot)->isVisible());
        EXPECT_EQ(Items(*tiles), Numbers(0, 64));
        EXPECT_EQ(tiles->currentText(), "0");
        auto* preview = Control<QLabel>(*window, "Image2", slot);
        EXPECT_TRUE(preview->isVisible());
        EXPECT_EQ(Normalised(preview->pixmap().toImage()),
                  Normalised(TilePicture(workspace.path(), 0)));
    }
    EXPECT_EQ(Control<QLabel>(*window, "Label3")->text(), "");
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));

    const LevelDocument& document = DocumentOf(*window);
    EXPECT_EQ(document.map(), TestLevel(0));
    EXPECT_EQ(document.levelState(), 0);
    EXPECT_EQ(document.levelOffset(), 0);
    EXPECT_EQ(document.oldPackedLength(), PackLevel(TestLevel(0)).size());
    ExpectGridShows(*window, TestLevel(0));
}

TEST_F(EditorWindowTest, StartsOnASingleMapWithTheLevelControlsOff) {
    const LevelMap map = PatternLevel(5);
    workspace.write("one.map", demo::MakeSingleMap(map));
    workspace.write("state.s00", demo::MakeSavestate(TestLevel(7)));
    for (const auto& [name, kind, shown] :
         {std::tuple{"one.map", SourceKind::UncompressedMap, map},
          std::tuple{"state.s00", SourceKind::MekaSavestate, TestLevel(7)}}) {
        auto window = open(name, kind);
        ASSERT_TRUE(window->started());
        window->show();
        auto* levels = Control<QComboBox>(*window, "Combo1");
        EXPECT_EQ(Items(*levels), QStringList{"N/A"});
        EXPECT_EQ(levels->currentText(), "N/A");
        EXPECT_FALSE(levels->isEnabled());
        EXPECT_FALSE(Control<QWidget>(*window, "Command1")->isEnabled());
        EXPECT_FALSE(Control<QWidget>(*window, "Label1")->isEnabled());
        EXPECT_FALSE(Control<QWidget>(*window, "Command5")->isEnabled());
        EXPECT_TRUE(Control<QWidget>(*window, "Command3")->isEnabled());
        for (const char* brush : {"Label4", "Combo2", "Image2"}) {
            for (int slot = 0; slot < 3; ++slot) {
                EXPECT_FALSE(Control<QWidget>(*window, brush, slot)->isVisible()) << brush;
            }
        }
        EXPECT_EQ(window->windowTitle(), expectedTitle(name, 0));
        EXPECT_EQ(DocumentOf(*window).map(), shown);
        ExpectGridShows(*window, shown);
    }
    // 224 cells of different neighbours are 224 runs of one cell.
    auto window = open("one.map", SourceKind::UncompressedMap);
    EXPECT_EQ(DocumentOf(*window).oldPackedLength(), 224);
    EXPECT_EQ(DocumentOf(*window).levelOffset(), -198);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(EditorWindowTest, LaysOutTheControlsAsDrawn) {
    auto window = openCartridge();
    EXPECT_EQ(window->objectName(), "Form1");
    EXPECT_EQ(window->size(), QSize(1033, 261));
    EXPECT_EQ(window->minimumSize(), QSize(1033, 261));
    EXPECT_EQ(window->maximumSize(), QSize(1033, 261));
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);

    EXPECT_EQ(GridOf(*window).geometry(), QRect(4, 4, 1024, 224));
    const struct {
        const char* name;
        int index;
        QRect geometry;
        const char* text;
    } table[] = {
        {"Label1", -1, {4, 236, 77, 21}, "Level number:"},
        {"Combo1", -1, {84, 236, 45, 21}, nullptr},
        {"Command1", -1, {132, 236, 45, 21}, "&Load"},
        {"Command5", -1, {180, 236, 45, 21}, "&Save"},
        {"Command3", -1, {228, 236, 93, 21}, "&Export as picture"},
        {"Label2", -1, {348, 236, 89, 21}, "Tile under cursor:"},
        {"Label3", -1, {440, 236, 25, 21}, ""},
        {"Label4", 0, {476, 236, 69, 21}, "Left Button:"},
        {"Combo2", 0, {548, 236, 45, 21}, nullptr},
        {"Image2", 0, {596, 238, 16, 16}, nullptr},
        {"Label4", 1, {624, 236, 69, 21}, "Wheel:"},
        {"Combo2", 1, {696, 236, 45, 21}, nullptr},
        {"Image2", 1, {744, 238, 16, 16}, nullptr},
        {"Label4", 2, {772, 236, 69, 21}, "Right Button:"},
        {"Combo2", 2, {844, 236, 45, 21}, nullptr},
        {"Image2", 2, {892, 238, 16, 16}, nullptr},
        {"Command4", -1, {936, 236, 45, 21}, "&?"},
        {"Command2", -1, {984, 236, 45, 21}, "&Quit"},
    };
    for (const auto& row : table) {
        QWidget* control = Control<QWidget>(*window, row.name, row.index);
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_EQ(control->geometry(), row.geometry) << row.name << " " << row.index;
        if (!row.text) {
            continue;
        }
        if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_EQ(label->text(), row.text);
            EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask,
                      row.name == std::string("Label3") ? Qt::AlignHCenter : Qt::AlignRight)
                << row.name;
        } else {
            EXPECT_EQ(qobject_cast<QPushButton*>(control)->text(), row.text);
        }
    }

    // The keyboard visits the controls in this order; labels and pictures take no focus.
    QStringList order;
    QWidget* widget = Control<QWidget>(*window, "Combo1");
    do {
        if (widget->focusPolicy() & Qt::TabFocus) {
            const QVariant index = widget->property("index");
            order << widget->objectName() + (index.isValid() ? index.toString() : QString());
        }
        widget = widget->nextInFocusChain();
    } while (widget != Control<QWidget>(*window, "Combo1"));
    EXPECT_EQ(order, (QStringList{"Combo1", "Command1", "Command2", "Command3", "Command4",
                                  "Command5", "Combo20", "Combo21", "Combo22"}));
}

TEST_F(EditorWindowTest, ComposesTheCaptionWithThePlatformSeparator) {
    SourceSelection selection = workspace.select("cart.bin", SourceKind::UeRom);
    selection.directory = "/maps";
    EXPECT_EQ(ComposeLevelTitle(selection, 7),
              "Morvane Level Editor v1.1 [/maps/cart.bin - Level 7]");
    selection.fileName = "one.map";
    EXPECT_EQ(ComposeLevelTitle(selection, 0), "Morvane Level Editor v1.1 [/maps/one.map]");
    selection.directory = "/";
    EXPECT_EQ(ComposeLevelTitle(selection, 12), "Morvane Level Editor v1.1 [/one.map - Level 12]");
}

TEST_F(EditorWindowTest, GridShowsEachCellsScaledPicture) {
    auto window = openCartridge();
    window->show();
    const LevelMap& level = DocumentOf(*window).map();
    const QImage shown = Grab(GridOf(*window));
    ASSERT_EQ(shown.size(), QSize(1024, 224));
    int withCorner = 0;
    while (level.cell(withCorner) % 4 != 3) {
        ++withCorner;
    }
    for (const int cell : {0, 1, 31, 32, 100, 223, withCorner}) {
        const QRect where = GridOf(*window).cellRect(cell);
        EXPECT_EQ(shown.copy(where), ExpectedCell(TilePicture(workspace.path(), level.cell(cell))))
            << "cell " << cell;
    }
    EXPECT_EQ(shown.pixel(GridOf(*window).cellRect(withCorner).bottomRight()), kLevelBackground);
    // The grid and the level picture are painted by the same code.
    TileImages tiles(workspace.path());
    EXPECT_EQ(shown, RenderLevelPicture(level, tiles));
    // The grid fills its place in the window: the top-right pixel of the grid is cell 0's.
    const QImage whole = Grab(*window);
    EXPECT_EQ(whole.copy(1028 - 32, 4, 32, 32), shown.copy(GridOf(*window).cellRect(0)));
}

TEST_F(EditorWindowTest, PickingALevelLoadsItOnce) {
    auto window = openCartridge();
    QSignalSpy loads(&DocumentOf(*window), &LevelDocument::levelLoaded);
    auto* levels = Control<QComboBox>(*window, "Combo1");

    PickItem(*levels, 4);
    EXPECT_EQ(loads.count(), 1);
    EXPECT_EQ(levels->currentIndex(), 4);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(4));
    EXPECT_EQ(DocumentOf(*window).levelState(), 4);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 5));
    ExpectGridShows(*window, TestLevel(4));

    // The keyboard changes the selection and raises several signals; still one load.
    levels->setFocus();
    QTest::keyClick(levels, Qt::Key_Down);
    EXPECT_EQ(loads.count(), 2);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(5));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 6));

    // Picking the shown level reads it again.
    PickItem(*levels, 5);
    EXPECT_EQ(loads.count(), 3);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(EditorWindowTest, LoadReadsTheSelectedLevelAgainFromTheFile) {
    auto window = openCartridge();
    QSignalSpy loads(&DocumentOf(*window), &LevelDocument::levelLoaded);
    PickItem(*Control<QComboBox>(*window, "Combo1"), 2);

    // Another program changes level 3 in the file; Load shows the file's level.
    std::vector<Bytes> streams;
    for (int index = 0; index < 99; ++index) {
        streams.push_back(PackLevel(index == 2 ? PatternLevel(40) : TestLevel(index)));
    }
    workspace.write("cart.bin",
                    demo::MakeCartridge(demo::AssembleBank(streams), SourceKind::UeRom));
    QTest::mouseClick(Control<QPushButton>(*window, "Command1"), Qt::LeftButton);
    EXPECT_EQ(loads.count(), 2);
    EXPECT_EQ(DocumentOf(*window).map(), PatternLevel(40));
    ExpectGridShows(*window, PatternLevel(40));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 3));
}

TEST_F(EditorWindowTest, UnreadableLevelWarnsAndKeepsTheShownOne) {
    Bytes bank = MakeTestBank();
    // Level 3's pointer points before the data area.
    bank[4] = 0x10;
    bank[5] = 0x80;
    auto window = openCartridge(bank);
    auto* levels = Control<QComboBox>(*window, "Combo1");
    PickItem(*levels, 1);
    const LevelDocument& document = DocumentOf(*window);
    const QString title = window->windowTitle();
    const auto length = document.oldPackedLength();
    const auto offset = document.levelOffset();
    const QImage before = Grab(GridOf(*window));
    QSignalSpy loads(&document, &LevelDocument::levelLoaded);

    messages.answer(QMessageBox::Ok);
    PickItem(*levels, 2);
    ASSERT_EQ(messages.calls().size(), 1u);
    const MessageCall& warning = messages.calls()[0];
    MemoryFileSystem files;
    files.add("cart", demo::MakeCartridge(bank, SourceKind::UeRom));
    FileStatus status;
    auto copy = files.open("cart", OpenMode::ReadOnly, status);
    const auto failure = LoadLevelFromFile(*copy, *LayoutFor(SourceKind::UeRom, "98304"), 2);
    ASSERT_FALSE(failure.ok());
    EXPECT_EQ(warning.text, "The level was not loaded.\n" +
                                QString::fromStdString(DescribeLevelFailure(failure.failure())));
    EXPECT_TRUE(warning.text.contains("Level 3")) << warning.text.toStdString();
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_EQ(warning.buttons, QMessageBox::Ok);
    EXPECT_EQ(warning.title, QString::fromStdString(kCaption));

    EXPECT_EQ(loads.count(), 0);
    EXPECT_EQ(levels->currentIndex(), 1);
    EXPECT_EQ(document.map(), TestLevel(1));
    EXPECT_EQ(document.levelState(), 1);
    EXPECT_EQ(document.oldPackedLength(), length);
    EXPECT_EQ(document.levelOffset(), offset);
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(Grab(GridOf(*window)), before);
}

TEST_F(EditorWindowTest, UnreadableFirstLevelOpensAnEmptyGrid) {
    Bytes bank = MakeTestBank();
    // Level 1's pointer points at the bank's last byte, so its stream runs past the bank's end.
    bank[0] = 0xFF;
    bank[1] = 0xBF;
    messages.answer(QMessageBox::Ok);
    auto window = openCartridge(bank);
    ASSERT_TRUE(window->started());
    window->show();
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_TRUE(messages.calls()[0].text.contains("Level 1"))
        << messages.calls()[0].text.toStdString();
    EXPECT_EQ(messages.calls()[0].icon, QMessageBox::Warning);

    EXPECT_EQ(window->windowTitle(), "");
    EXPECT_FALSE(Control<QWidget>(*window, "Command3")->isEnabled());
    EXPECT_FALSE(Control<QWidget>(*window, "Command5")->isEnabled());
    EXPECT_FALSE(Control<QWidget>(*window, "Combo2", 0)->isVisible());
    EXPECT_TRUE(Control<QWidget>(*window, "Combo1")->isEnabled());
    const QImage empty = Grab(GridOf(*window));
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        ASSERT_EQ(GridOf(*window).cellTile(cell), -1);
    }
    for (int y = 0; y < empty.height(); y += 7) {
        for (int x = 0; x < empty.width(); x += 7) {
            ASSERT_EQ(empty.pixel(x, y), kLevelBackground);
        }
    }
    // Nothing to show under the pointer and nothing to paint yet.
    MoveTo(GridOf(*window), {500, 100});
    EXPECT_EQ(Control<QLabel>(*window, "Label3")->text(), "");
    Click(GridOf(*window), {500, 100}, Qt::LeftButton);
    EXPECT_EQ(GridOf(*window).cellTile(LevelCellAt({500, 100})), -1);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);

    // Another level can be picked, and the first load shows the brushes.
    PickItem(*Control<QComboBox>(*window, "Combo1"), 1);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(1));
    EXPECT_TRUE(Control<QWidget>(*window, "Combo2", 0)->isVisible());
    EXPECT_TRUE(Control<QWidget>(*window, "Command5")->isEnabled());
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 2));
}

TEST_F(EditorWindowTest, MissingTilePictureShowsAPlaceholderWithoutMessages) {
    const int missing = TestLevel(0).cell(0);
    ASSERT_TRUE(QFile::remove(workspace.filePath(QString("gif/%1.gif").arg(missing))));
    auto window = openCartridge();
    EXPECT_TRUE(messages.calls().empty());
    EXPECT_EQ(GridOf(*window).cellTile(0), missing);
    const QImage shown = Grab(GridOf(*window));
    int placeholders = 0;
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        if (TestLevel(0).cell(cell) != missing) {
            continue;
        }
        ++placeholders;
        EXPECT_EQ(shown.copy(GridOf(*window).cellRect(cell)),
                  ExpectedCell(TileImages::Placeholder(missing)));
    }
    EXPECT_GT(placeholders, 1);
}

TEST_F(EditorWindowTest, SourceThatCannotBeOpenedWarnsAndStartsNothing) {
    ASSERT_TRUE(QDir(workspace.path()).mkdir("folder.bin"));
    ASSERT_EQ(::mkfifo(workspace.filePath("pipe.bin").toLocal8Bit().constData(), 0600), 0);
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"missing.bin", "the file does not exist"},
        {"folder.bin", "it is not a regular file"},
        {"pipe.bin", "it is not a regular file"},
    };
    for (const auto& source : cases) {
        messages.forgetCalls();
        messages.answer(QMessageBox::Ok);
        auto window = open(source.name, SourceKind::ExtractedMapData);
        EXPECT_FALSE(window->started());
        ASSERT_EQ(messages.calls().size(), 1u);
        const MessageCall& warning = messages.calls()[0];
        EXPECT_TRUE(warning.text.contains(source.name)) << warning.text.toStdString();
        EXPECT_TRUE(warning.text.contains(source.reason)) << warning.text.toStdString();
        EXPECT_EQ(warning.icon, QMessageBox::Warning);
        EXPECT_EQ(warning.buttons, QMessageBox::Ok);
        EXPECT_EQ(warning.title, QString::fromStdString(kCaption));
        EXPECT_FALSE(DocumentOf(*window).isOpen());
        EXPECT_FALSE(DocumentOf(*window).hasLevel());
        EXPECT_EQ(window->windowTitle(), "");
        EXPECT_EQ(OpenDescriptors(workspace.filePath(source.name)), 0);
    }
}

TEST_F(EditorWindowTest, CloseRequestIsRefused) {
    auto window = openCartridge();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(DocumentOf(*window).isOpen());
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(EditorWindowTest, TileUnderThePointerFollowsCellsAndClearsOnTheMargin) {
    auto window = openCartridge();
    window->show();
    auto* display = Control<QLabel>(*window, "Label3");
    LevelGrid& grid = GridOf(*window);
    const LevelMap& level = DocumentOf(*window).map();
    ASSERT_NE(level.cell(5), level.cell(6));

    MoveTo(grid, grid.cellRect(5).center());
    EXPECT_EQ(display->text(), QString::number(level.cell(5)));
    // The top-right and lower-left pixels of the grid belong to cells 0 and 223.
    MoveTo(grid, {1023, 0});
    EXPECT_EQ(display->text(), QString::number(level.cell(0)));
    MoveTo(grid, {0, 223});
    EXPECT_EQ(display->text(), QString::number(level.cell(223)));
    // From cell to cell the number changes without emptying in between.
    MoveTo(grid, grid.cellRect(6).center());
    EXPECT_EQ(display->text(), QString::number(level.cell(6)));
    // Over a control the number stays; over the margin around the grid it goes.
    MoveTo(*window, Control<QWidget>(*window, "Command1")->geometry().center());
    EXPECT_EQ(display->text(), QString::number(level.cell(6)));
    for (const QPoint margin : {QPoint(2, 2), QPoint(1030, 100), QPoint(500, 230)}) {
        MoveTo(grid, grid.cellRect(6).center());
        MoveTo(*window, margin);
        EXPECT_EQ(display->text(), "") << margin.x() << "," << margin.y();
    }
}

TEST_F(EditorWindowTest, AboutShowsFiveLinesAndChangesNothing) {
    auto window = openCartridge();
    const QString title = window->windowTitle();
    messages.answer(QMessageBox::Ok);
    QTest::mouseClick(Control<QPushButton>(*window, "Command4"), Qt::LeftButton);
    ASSERT_EQ(messages.calls().size(), 1u);
    const MessageCall& about = messages.calls()[0];
    const QStringList lines = about.text.split("\r\n");
    ASSERT_EQ(lines.size(), 5) << about.text.toStdString();
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains('\r') || line.contains('\n'));
    }
    EXPECT_FALSE(lines[0].isEmpty());
    EXPECT_TRUE(QRegularExpression("^Released (19|20)\\d\\d(0[1-9]|1[0-2])(0[1-9]|[12]\\d|3[01])$")
                    .match(lines[1])
                    .hasMatch())
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_FALSE(lines[3].isEmpty());
    EXPECT_TRUE(lines[4].contains("commercial"));
    EXPECT_EQ(about.icon, QMessageBox::Information);
    EXPECT_EQ(about.buttons, QMessageBox::Ok);
    EXPECT_EQ(about.title, QString::fromStdString(kCaption));
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);
}

TEST_F(EditorWindowTest, QuitClosesTheSourceAndTheWindow) {
    auto window = openCartridge();
    window->show();
    EXPECT_EQ(OpenDescriptors(workspace.filePath("cart.bin")), 1);
    QSignalSpy quitting(window.get(), &EditorWindow::quitting);
    QTest::mouseClick(Control<QPushButton>(*window, "Command2"), Qt::LeftButton);
    EXPECT_EQ(quitting.count(), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(DocumentOf(*window).levelState(), LevelDocument::kQuitting);
    EXPECT_EQ(OpenDescriptors(workspace.filePath("cart.bin")), 0);
    EXPECT_TRUE(messages.calls().empty());
}

}  // namespace
}  // namespace morvane::test
