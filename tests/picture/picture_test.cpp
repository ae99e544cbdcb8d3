#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "demo_levels.h"
#include "gif_writer.h"
#include "picture/gif_decoder.h"
#include "picture/tile_set.h"
#include "test_folder.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// width x height pixels of four colours in diagonal stripes.
demo::IndexedPicture Stripes(int width, int height, int transparentIndex = -1) {
    demo::IndexedPicture picture{
        width, height, {{0x10, 0x20, 0x30}, {0xF0, 0x80, 0x00}, {0x00, 0xC0, 0x40}, {1, 2, 3}}, {}};
    for (int i = 0; i < width * height; ++i) {
        picture.pixels.push_back(std::uint8_t((i % width + i / width) % 4));
    }
    picture.transparentIndex = transparentIndex;
    return picture;
}

// What the GIF of source shows: palette colours, alpha 0 for the transparent index, and around
// the frame transparency or, without it, the background colour (palette entry 0).
Picture Expected(const demo::IndexedPicture& source) {
    const auto colour = [&](int index) -> std::uint32_t {
        if (index == source.transparentIndex) {
            return 0;
        }
        const auto& c = source.palette[std::size_t(index)];
        return 0xFF000000u | std::uint32_t(c[0]) << 16 | std::uint32_t(c[1]) << 8 | c[2];
    };
    Picture expected(source.screenWidth ? source.screenWidth : source.width,
                     source.screenHeight ? source.screenHeight : source.height,
                     source.transparentIndex >= 0 ? 0 : colour(0));
    for (int i = 0; i < source.width * source.height; ++i) {
        expected.setPixel(source.left + i % source.width, source.top + i / source.width,
                          colour(source.pixels[std::size_t(i)]));
    }
    return expected;
}

// Byte surgery on a GIF without a graphic control extension: the logical screen's width and
// height sit at bytes 6..9, the global colour table (flag in bit 7 of byte 10, size in bits 0..2)
// follows byte 12, and the image descriptor (',' left top width height flags) follows the table.
Bytes WithSizes(Bytes gif, std::array<int, 2> screen,
                std::optional<std::array<int, 2>> frame = {}) {
    const std::size_t descriptor = 13 + 3 * (std::size_t(2) << (gif[10] & 7));
    const auto put = [&gif](std::size_t at, int value) {
        gif[at] = std::uint8_t(value), gif[at + 1] = std::uint8_t(value >> 8);
    };
    for (const std::size_t side : {0, 1}) {
        put(6 + 2 * side, screen[side]);
        if (frame) {
            put(descriptor + 5 + 2 * side, (*frame)[side]);
        }
    }
    return gif;
}
// The global colour table cut to its first two colours, or with none to none; the pixels keep
// their indices.
Bytes WithColours(Bytes gif, int colours) {
    const auto table = std::ptrdiff_t(3 * (std::size_t(2) << (gif[10] & 7)));
    gif[10] &= colours ? 0xF8 : 0x7F;
    gif.erase(gif.begin() + 13 + 3 * colours, gif.begin() + 13 + table);
    return gif;
}
// The first length bytes, then the end mark when given.
Bytes Cut(Bytes gif, std::size_t length, std::optional<std::uint8_t> end = {}) {
    gif.resize(length);
    if (end) {
        gif.push_back(*end);
    }
    return gif;
}

TEST(GifDecoder, DrawsFramesAsPlacedAndRefusesHostileFilesWhichShowAsPlaceholders) {
    auto offset = Stripes(16, 16, 3);
    offset.screenWidth = 20, offset.screenHeight = 18, offset.left = 3, offset.top = 2;
    auto offsetOpaque = offset;
    offsetOpaque.transparentIndex = -1;
    auto interlaced = Stripes(11, 13, 2);
    interlaced.interlaced = true;
    auto reached = offsetOpaque;  // its screen is as large as the frame reaches
    reached.screenWidth = 19, reached.screenHeight = 18;
    auto white = Stripes(16, 16);  // indices past a table of two show white
    white.palette[2] = white.palette[3] = {0xFF, 0xFF, 0xFF};
    const Bytes plain = demo::EncodeGif(Stripes(16, 16));
    const struct {
        const char* name;
        Bytes bytes;
        std::optional<demo::IndexedPicture> shows;  // else a placeholder
        GifError error;
    } cases[] = {
        {"demo tile", demo::EncodeGif(demo::MakeTilePicture(3)), demo::MakeTilePicture(3), {}},
        {"frame inside its screen", demo::EncodeGif(offset), offset, {}},
        {"the same without transparency", demo::EncodeGif(offsetOpaque), offsetOpaque, {}},
        {"interlaced", demo::EncodeGif(interlaced), interlaced, {}},
        {"screen of 0 x 0", WithSizes(demo::EncodeGif(offsetOpaque), {0, 0}), reached, {}},
        {"index past the colour table", WithColours(plain, 2), white, {}},
        {"16000", WithSizes(plain, {16000, 16000}, {{16000, 16000}}), {}, GifError::TooLarge},
        {"256, cut short", WithSizes(plain, {256, 256}, {{256, 256}}), {}, GifError::EndsEarly},
        {"screen 257 wide", WithSizes(plain, {257, 16}), {}, GifError::TooLarge},
        {"screen 257 tall", WithSizes(plain, {16, 257}), {}, GifError::TooLarge},
        {"frame 257 wide", WithSizes(plain, {16, 16}, {{257, 16}}), {}, GifError::TooLarge},
        {"frame 257 tall", WithSizes(plain, {16, 16}, {{16, 257}}), {}, GifError::TooLarge},
        {"frame 0 wide", WithSizes(plain, {16, 16}, {{0, 16}}), {}, GifError::EmptyPicture},
        {"frame 0 tall", WithSizes(plain, {16, 16}, {{16, 0}}), {}, GifError::EmptyPicture},
        {"frame past the right", WithSizes(plain, {8, 16}), {}, GifError::FrameOutsideScreen},
        {"frame past the bottom", WithSizes(plain, {16, 8}), {}, GifError::FrameOutsideScreen},
        {"no picture", Cut(plain, 25, 0x3B), {}, GifError::NoPicture},
        {"no colour table", WithColours(plain, 0), {}, GifError::NoColourTable},
        {"cut in the pixels", Cut(plain, plain.size() / 2), {}, GifError::EndsEarly},
        {"cut in the header", Cut(plain, 8), {}, GifError::EndsEarly},
        {"text", {'n', 'o', 't', ' ', 'a', ' ', 'g', 'i', 'f'}, {}, GifError::NotAGif},
    };
    const test::TestFolder folder;
    fs::create_directory(folder.m_folder / "gif");
    for (std::size_t tile = 0; tile < std::size(cases); ++tile) {
        folder.write("gif/" + std::to_string(tile) + ".gif", cases[tile].bytes);
    }
    TileSet tiles(folder.m_folder.string());
    for (std::size_t tile = 0; tile < std::size(cases); ++tile) {
        const auto& c = cases[tile];
        SCOPED_TRACE(c.name);
        const GifResult decoded = DecodeGif(c.bytes);
        ASSERT_EQ(decoded.ok(), c.shows.has_value());
        if (decoded.ok()) {
            EXPECT_EQ(decoded.value(), Expected(*c.shows));
        } else {
            EXPECT_EQ(decoded.failure(), c.error) << DescribeGifError(decoded.failure());
        }
        EXPECT_EQ(tiles.tile(int(tile)),
                  decoded.ok() ? decoded.value() : TileSet::Placeholder(int(tile)));
    }
}

TEST(TileSet, FindsPicturesInEitherLetterCaseDecodesEachOnceAndReadsChangedOnesAgain) {
    const test::TestFolder folder;
    std::string error;
    ASSERT_TRUE(demo::WriteTilePictures(folder.m_folder.string(), error)) << error;
    fs::rename(folder.m_folder / "gif", folder.m_folder / "GIF");
    fs::rename(folder.m_folder / "GIF/5.gif", folder.m_folder / "GIF/5.GIF");
    fs::remove(folder.m_folder / "GIF/12.gif");
    TileSet tiles(folder.m_folder.string());
    EXPECT_EQ(tiles.picturePath(5), (folder.m_folder / "GIF/5.GIF").string());
    EXPECT_EQ(tiles.picturePath(12), "");
    EXPECT_EQ(tiles.tile(5), Expected(demo::MakeTilePicture(5)));
    // A placeholder is the tile's number in white on grey, in digits of 3 x 5 pixels: the 7
    // fills its top row, and 10 and 6 are drawn as here, in the middle, with nothing else inked.
    const Picture placeholder = tiles.tile(12);
    EXPECT_EQ(placeholder, TileSet::Placeholder(12));
    EXPECT_NE(placeholder, TileSet::Placeholder(13));
    EXPECT_EQ(TileSet::Placeholder(7).pixel(6, 5), TileSet::kPlaceholderInk);
    EXPECT_EQ(TileSet::Placeholder(7).pixel(6, 6), TileSet::kPlaceholderFill);
    for (const auto& [number, rows] :
         {std::pair<int, std::vector<std::string>>{
              10, {".#..###", "##..#.#", ".#..#.#", ".#..#.#", "###.###"}},
          {6, {"###", "#..", "###", "#.#", "###"}}}) {
        const int left = (16 - int(rows[0].size())) / 2;
        for (int at = 0; at < 16 * 16; ++at) {
            const int x = at % 16, y = at / 16;
            const bool ink = x >= left && x < left + int(rows[0].size()) && y >= 5 && y < 10 &&
                             rows[std::size_t(y - 5)][std::size_t(x - left)] == '#';
            EXPECT_EQ(TileSet::Placeholder(number).pixel(x, y),
                      ink ? TileSet::kPlaceholderInk : TileSet::kPlaceholderFill)
                << number << ": " << x << ", " << y;
        }
    }
    tiles.cell(6);
    tiles.tile(6);
    EXPECT_EQ(tiles.decodeCount(), 2);
    demo::IndexedPicture square{8, 8, {{0x12, 0x34, 0x56}}, Bytes(64, 0)};
    ASSERT_TRUE(demo::WriteGif((folder.m_folder / "GIF/6.gif").string(), square, error)) << error;
    EXPECT_EQ(tiles.cell(6).pixel(31, 31), 0xFF123456u);
    EXPECT_EQ(tiles.decodeCount(), 3);
    // A 64-pixel picture halves: cell row 0 takes source row 0, since a centre on a pixel edge
    // takes the pixel before it.
    Bytes stripes(64 * 64);
    for (std::size_t at = 0; at < stripes.size(); ++at) {
        stripes[at] = std::uint8_t(at / 64 % 2);
    }
    demo::IndexedPicture striped{64, 64, {{0x10, 0x20, 0x30}, {0x40, 0x50, 0x60}}, stripes};
    ASSERT_TRUE(demo::WriteGif((folder.m_folder / "GIF/9.gif").string(), striped, error)) << error;
    EXPECT_EQ(tiles.cell(9).pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(tiles.cell(9).pixel(0, 1), 0xFF102030u);
    // A transparent pixel shows the background, whatever lies beside it.
    const demo::IndexedPicture corner{2, 2, {{0, 0, 0}, {0xFF, 0, 0}}, {0, 1, 1, 1}, 0};
    ASSERT_TRUE(demo::WriteGif((folder.m_folder / "GIF/7.gif").string(), corner, error)) << error;
    EXPECT_EQ(tiles.cell(7).pixel(0, 15), kLevelBackground);
}

}  // namespace
}  // namespace morvane
