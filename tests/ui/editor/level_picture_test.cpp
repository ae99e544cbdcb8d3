#include "ui/editor/level_picture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <set>

#include "demo_levels.h"
#include "editor_test_support.h"
#include "gif_writer.h"
#include "ui/editor/tile_images.h"

namespace morvane::test {
namespace {

TEST(TileImages, ScalesEachPictureToTheCellWithHardPixels) {
    Workspace workspace;
    TileImages tiles(workspace.path());
    for (const int tile : {0, 3, 17, 63}) {
        const QImage own = TilePicture(workspace.path(), tile);
        EXPECT_EQ(tiles.tile(tile).size(), QSize(16, 16));
        EXPECT_EQ(Normalised(tiles.tile(tile)), Normalised(own)) << "tile " << tile;
        const QImage scaled = tiles.scaledTile(tile);
        ASSERT_EQ(scaled.size(), QSize(32, 32));
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb expected = own.pixel(x / 2, y / 2);
                const QRgb shown = scaled.pixel(x, y);
                ASSERT_EQ(qAlpha(shown), qAlpha(expected)) << tile << " at " << x << "," << y;
                if (qAlpha(expected) != 0) {
                    ASSERT_EQ(shown, expected) << tile << " at " << x << "," << y;
                }
            }
        }
    }
    // Tiles 3, 7, .. have a transparent 4 x 4 corner, which stays transparent when scaled.
    EXPECT_EQ(qAlpha(tiles.scaledTile(3).pixel(31, 31)), 0);
    EXPECT_EQ(qAlpha(tiles.scaledTile(3).pixel(23, 23)), 255);
}

TEST(TileImages, DecodesEachPictureOncePerChange) {
    Workspace workspace;
    TileImages tiles(workspace.path());
    std::set<int> used;
    for (const int index : {1, 3}) {
        const LevelMap level = demo::MakeDemoLevel(index);
        for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
            used.insert(level.cell(cell));
        }
    }
    // Switching between two levels and back decodes each tile they use once.
    RenderLevelPicture(demo::MakeDemoLevel(1), tiles);
    RenderLevelPicture(demo::MakeDemoLevel(3), tiles);
    RenderLevelPicture(demo::MakeDemoLevel(1), tiles);
    EXPECT_EQ(tiles.decodeCount(), int(used.size()));

    // A picture rewritten on disk (another size, another colour) shows at its next use.
    const int before = tiles.decodeCount();
    demo::IndexedPicture square;
    square.width = 8;
    square.height = 8;
    square.palette = {{0x12, 0x34, 0x56}};
    square.pixels.assign(64, 0);
    std::string error;
    ASSERT_TRUE(demo::WriteGif(workspace.filePath("gif/1.gif").toStdString(), square, error))
        << error;
    EXPECT_EQ(tiles.tile(1).size(), QSize(8, 8));
    EXPECT_EQ(tiles.scaledTile(1).pixel(31, 31), qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(tiles.decodeCount(), before + 1);
}

TEST(TileImages, MissingOrUnreadablePictureGivesANumberedPlaceholder) {
    Workspace workspace;
    ASSERT_TRUE(QFile::remove(workspace.filePath("gif/12.gif")));
    workspace.write("gif/13.gif", {'n', 'o', 't', ' ', 'a', ' ', 'g', 'i', 'f'});
    TileImages tiles(workspace.path());
    EXPECT_TRUE(tiles.picturePath(12).isEmpty());

    for (const int tile : {12, 13}) {
        const QImage placeholder = tiles.tile(tile);
        EXPECT_EQ(placeholder, TileImages::Placeholder(tile));
        ASSERT_EQ(placeholder.size(), QSize(16, 16));
        int ink = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb pixel = placeholder.pixel(x, y);
                ASSERT_TRUE(pixel == TileImages::kPlaceholderFill ||
                            pixel == TileImages::kPlaceholderInk);
                ink += pixel == TileImages::kPlaceholderInk;
            }
        }
        EXPECT_GT(ink, 10) << "the number is drawn";
        const QImage scaled = tiles.scaledTile(tile);
        ASSERT_EQ(scaled.size(), QSize(32, 32));
        EXPECT_EQ(scaled.pixel(0, 0), TileImages::kPlaceholderFill);
        EXPECT_EQ(scaled.pixel(9, 13), placeholder.pixel(4, 6));
    }
    EXPECT_NE(TileImages::Placeholder(12), TileImages::Placeholder(13));
}

TEST(TileImages, FindsPicturesWhoseNamesDifferInLetterCase) {
    Workspace workspace;
    const QImage five = TilePicture(workspace.path(), 5);
    QDir folder(workspace.path());
    ASSERT_TRUE(folder.rename("gif", "GIF"));
    ASSERT_TRUE(folder.rename("GIF/5.gif", "GIF/5.GIF"));
    TileImages tiles(workspace.path());
    EXPECT_EQ(tiles.picturePath(5), workspace.filePath("GIF/5.GIF"));
    EXPECT_EQ(Normalised(tiles.tile(5)), Normalised(five));
    EXPECT_EQ(tiles.picturePath(6), workspace.filePath("GIF/6.gif"));
    EXPECT_NE(tiles.tile(6), TileImages::Placeholder(6));
}

TEST(LevelPicture, CellsRunRightToLeftFromTheTopRight) {
    EXPECT_EQ(LevelCellRect(0), QRect(992, 0, 32, 32));
    EXPECT_EQ(LevelCellRect(31), QRect(0, 0, 32, 32));
    EXPECT_EQ(LevelCellRect(32), QRect(992, 32, 32, 32));
    EXPECT_EQ(LevelCellRect(223), QRect(0, 192, 32, 32));
    EXPECT_EQ(LevelCellAt({1023, 0}), 0);
    EXPECT_EQ(LevelCellAt({0, 223}), 223);
    EXPECT_EQ(LevelCellAt({992, 40}), 32);
    EXPECT_EQ(LevelCellAt({1024, 0}), -1);
    EXPECT_EQ(LevelCellAt({0, 224}), -1);
    EXPECT_EQ(LevelCellAt({-1, 5}), -1);
}

TEST(LevelPicture, RendersEveryCellOverTheBackground) {
    Workspace workspace;
    TileImages tiles(workspace.path());
    const LevelMap level = PatternLevel(0);
    const QImage picture = RenderLevelPicture(level, tiles);
    ASSERT_EQ(picture.size(), QSize(1024, 224));
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        const QImage expected = ExpectedCell(TilePicture(workspace.path(), level.cell(cell)));
        ASSERT_EQ(picture.copy(LevelCellRect(cell)).convertToFormat(QImage::Format_RGB32), expected)
            << "cell " << cell << " tile " << int(level.cell(cell));
    }
    // Tile 3 has a transparent corner, which shows the background colour.
    int withCorner = 0;
    while (level.cell(withCorner) != 3) {
        ++withCorner;
    }
    EXPECT_EQ(picture.pixel(LevelCellRect(withCorner).bottomRight()), kLevelBackground);
    EXPECT_NE(picture.pixel(LevelCellRect(withCorner).topLeft()), kLevelBackground);
}

}  // namespace
}  // namespace morvane::test
