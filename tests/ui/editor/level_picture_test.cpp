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

TEST(TileImages, MissingOrUnreadablePictureGivesANumberedPlaceholder) {
    Workspace workspace;
    ASSERT_TRUE(QFile::remove(workspace.filePath("gif/12.gif")));
    workspace.write("gif/13.gif", {'n', 'o', 't', ' ', 'a', ' ', 'g', 'i', 'f'});
    TileImages tiles(workspace.path());
    EXPECT_EQ(tiles.tile(12), TileImages::Placeholder(12));
    EXPECT_EQ(tiles.tile(13), TileImages::Placeholder(13));
    EXPECT_NE(TileImages::Placeholder(12), TileImages::Placeholder(13));
    EXPECT_EQ(tiles.scaledTile(12).size(), QSize(32, 32));
}

TEST(TileImages, FindsPicturesWhoseNamesDifferInLetterCase) {
    Workspace workspace;
    QDir folder(workspace.path());
    ASSERT_TRUE(folder.rename("gif", "GIF"));
    ASSERT_TRUE(folder.rename("GIF/5.gif", "GIF/5.GIF"));
    TileImages tiles(workspace.path());
    EXPECT_EQ(tiles.picturePath(5), workspace.filePath("GIF/5.GIF"));
    EXPECT_EQ(tiles.picturePath(6), workspace.filePath("GIF/6.gif"));
    EXPECT_NE(tiles.tile(5), TileImages::Placeholder(5));
}

}  // namespace
}  // namespace morvane::test
