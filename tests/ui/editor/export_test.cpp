#include <gtest/gtest.h>

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTest>

#include "demo_levels.h"
#include "editor_test_support.h"
#include "tool_process.h"
#include "ui/editor/level_export.h"
#include "ui/editor/level_picture.h"

namespace morvane::test {
namespace {

const QString kExported =
    QStringLiteral("This level map has been successfully saved as an image in RAW format!");

LevelMap Uniform(std::uint8_t tile) {
    LevelMap map;
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        map.setCell(cell, tile);
    }
    return map;
}

// What the export must write for map, built here from the tile picture files themselves.
Bytes ExpectedRaw(const QString& folder, const LevelMap& map) {
    Bytes bytes;
    for (int j = 0; j < kExportHeight; ++j) {
        for (int i = 0; i < kExportWidth; ++i) {
            const int cell = LevelMap::cellAt(i / 16, j / 16);
            const QImage shown = ExpectedCell(TilePicture(folder, map.cell(cell)));
            const QRgb pixel = shown.pixel(2 * (i % 16), 2 * (j % 16));
            bytes.insert(bytes.end(), {std::uint8_t(qBlue(pixel)), std::uint8_t(qGreen(pixel)),
                                       std::uint8_t(qRed(pixel))});
        }
    }
    return bytes;
}

TEST(LevelExport, EveryOutputPixelIsEverySecondPixelOfItsCell) {
    Workspace workspace;
    TileImages tiles(workspace.path());
    // Tiles with a transparent corner (3, 7, ...) show the grid's background there.
    const LevelMap map = PatternLevel(3);
    const Bytes raw = RawPictureBytes(ExportLevelPicture(map, tiles));
    ASSERT_EQ(raw.size(), std::size_t(kRawFileSize));
    EXPECT_EQ(raw, ExpectedRaw(workspace.path(), map));
    // The first 16 pixels of the top row come from cell 31, the last 16 from cell 0.
    const QImage picture = ExportLevelPicture(map, tiles);
    EXPECT_EQ(picture.pixel(0, 0),
              ExpectedCell(TilePicture(workspace.path(), map.cell(31))).pixel(0, 0));
    EXPECT_EQ(picture.pixel(511, 0),
              ExpectedCell(TilePicture(workspace.path(), map.cell(0))).pixel(30, 0));
}

TEST(LevelExport, OneTileEverywhereGivesIdenticalSquares) {
    Workspace workspace;
    TileImages tiles(workspace.path());
    const QImage picture = ExportLevelPicture(Uniform(22), tiles);
    const QImage square = picture.copy(0, 0, 16, 16);
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 32; ++column) {
            ASSERT_EQ(picture.copy(16 * column, 16 * row, 16, 16), square) << row << "," << column;
        }
    }
}

TEST(LevelExport, PixelsAreWrittenBlueGreenRed) {
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(RawPictureBytes(picture), (Bytes{0x00, 0x00, 0xFF, 0x56, 0x34, 0x12}));
}

TEST(LevelExport, NamesFollowTheNumberOfMaps) {
    SourceSelection selection;
    selection.fileName = "map.bin";
    selection.numMaps = "1";
    EXPECT_EQ(ExportFileName(selection, 1), "map.bin.raw");
    selection.numMaps = "99";
    EXPECT_EQ(ExportFileName(selection, 12), "Level12.raw");
    EXPECT_EQ(ExportFileName(selection, 1), "Level1.raw");
}

using ExportTest = EditorTest;

void ClickExport(EditorWindow& window) {
    QTest::mouseClick(Control<QPushButton>(window, "Command3"), Qt::LeftButton);
}

TEST_F(ExportTest, WritesTheShownLevelWithItsUnsavedEditsAndChangesNothing) {
    const Bytes bank = MakeTestBank();
    auto window = openCartridge(bank);
    const Bytes cartridge = workspace.read("cart.bin");
    window->show();
    auto& grid = GridOf(*window);
    QTest::mouseClick(&grid, Qt::RightButton, {}, grid.cellRect(40).center());  // tile 0
    const LevelMap painted = DocumentOf(*window).map();
    ASSERT_NE(painted, TestLevel(0));
    const QString caption = window->windowTitle();
    const std::uint8_t state = DocumentOf(*window).levelState();

    messages.answer(QMessageBox::Ok);
    ClickExport(*window);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, kExported);
    EXPECT_EQ(messages.calls()[0].icon, QMessageBox::Information);
    EXPECT_EQ(messages.calls()[0].title, QString::fromStdString(kCaption));
    EXPECT_EQ(workspace.read("Level1.raw"), ExpectedRaw(workspace.path(), painted));
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_TRUE(caption.endsWith("*"));
    EXPECT_EQ(DocumentOf(*window).levelState(), state);
    EXPECT_EQ(DocumentOf(*window).map(), painted);
    EXPECT_EQ(workspace.read("cart.bin"), cartridge);
}

TEST_F(ExportTest, ExportingAgainReplacesTheFileWhole) {
    auto window = openCartridge();
    PickItem(*Control<QComboBox>(*window, "Combo1"), 11);
    workspace.write("Level12.raw", Bytes(500000, 0xEE));
    for (int round = 0; round < 2; ++round) {
        messages.answer(QMessageBox::Ok);
        ClickExport(*window);
        EXPECT_EQ(workspace.read("Level12.raw"), ExpectedRaw(workspace.path(), TestLevel(11)));
    }
    EXPECT_EQ(QDir(workspace.path()).entryList({"*.part*"}, QDir::Files), QStringList());
}

TEST_F(ExportTest, AHiddenOrMinimisedWindowExportsTheSame) {
    auto window = openCartridge();
    messages.answer(QMessageBox::Ok);
    ClickExport(*window);
    const Bytes hidden = workspace.read("Level1.raw");
    window->showMinimized();
    messages.answer(QMessageBox::Ok);
    ClickExport(*window);
    EXPECT_EQ(workspace.read("Level1.raw"), hidden);
    EXPECT_EQ(hidden, ExpectedRaw(workspace.path(), TestLevel(0)));
}

TEST_F(ExportTest, SingleMapIsExportedBesideItUnderItsOwnName) {
    const LevelMap map = demo::MakeDemoLevel(9);
    workspace.write("map.bin", demo::MakeSingleMap(map));
    auto window = open("map.bin", SourceKind::UncompressedMap);
    messages.answer(QMessageBox::Ok);
    ClickExport(*window);
    EXPECT_EQ(workspace.read("map.bin.raw"), ExpectedRaw(workspace.path(), map));
}

TEST_F(ExportTest, APlaceThatCannotBeWrittenWarnsAndLeavesNoFile) {
    auto window = openCartridge();
    // A folder where the picture should go: the finished picture cannot be renamed onto it.
    ASSERT_TRUE(QDir(workspace.path()).mkdir("Level1.raw"));
    messages.answer(QMessageBox::Ok);
    ClickExport(*window);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(messages.calls()[0].text.startsWith("The picture was not saved.\nLevel1.raw: "))
        << messages.calls()[0].text.toStdString();
    EXPECT_NE(messages.calls()[0].text, kExported);
    EXPECT_TRUE(QFileInfo(workspace.filePath("Level1.raw")).isDir());
    EXPECT_EQ(QDir(workspace.path()).entryList(QDir::Files), QStringList({"cart.bin"}));
}

TEST_F(ExportTest, NeverReplacesTheOpenSource) {
    // A bank whose own name is the one the export of level 1 would take.
    const Bytes bank = MakeTestBank();
    workspace.write("Level1.raw", bank);
    auto window = open("Level1.raw", SourceKind::ExtractedMapData);
    messages.answer(QMessageBox::Ok);
    ClickExport(*window);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(messages.calls()[0].text,
              "The picture was not saved.\nLevel1.raw is the open source file.");
    EXPECT_EQ(workspace.read("Level1.raw"), bank);

    // Saving afterwards still writes into the bank on disk.
    LevelGrid& grid = GridOf(*window);
    Click(grid, grid.cellRect(5).center(), Qt::LeftButton);
    messages.answer(QMessageBox::Ok);
    QTest::mouseClick(Control<QPushButton>(*window, "Command5"), Qt::LeftButton);
    EXPECT_EQ(messages.calls().back().text, "Map saved!");
    EXPECT_EQ(workspace.read("Level1.raw"),
              SavedByCore(bank, LevelLayout{0, true}, 0, DocumentOf(*window).map()));
}

TEST_F(ExportTest, CommandLineWritesTheWindowsBytes) {
    auto window = openCartridge();
    PickItem(*Control<QComboBox>(*window, "Combo1"), 6);
    messages.answer(QMessageBox::Ok);
    ClickExport(*window);
    const Bytes fromWindow = workspace.read("Level7.raw");

    const std::string folder = workspace.path().toStdString();
    const auto raw =
        RunTool(MORVANE_LEVELS_TOOL, {"export", "cart.bin", "7", "-o", "cli.raw"}, folder);
    ASSERT_EQ(raw.exitCode, 0) << raw.err;
    EXPECT_EQ(workspace.read("cli.raw"), fromWindow);

    const auto png =
        RunTool(MORVANE_LEVELS_TOOL, {"export", "cart.bin", "7", "--format", "png"}, folder);
    ASSERT_EQ(png.exitCode, 0) << png.err;
    EXPECT_EQ(png.out, "Level7.png\n");
    const QImage decoded(workspace.filePath("Level7.png"));
    EXPECT_EQ(RawPictureBytes(decoded), fromWindow);
}

}  // namespace
}  // namespace morvane::test
