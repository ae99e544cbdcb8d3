#include "gif_writer.h"

#include <gif_lib.h>

#include <filesystem>

#include "leveldata/disk_file_system.h"
#include "picture/digit_font.h"

namespace morvane::demo {

namespace {

constexpr std::array<std::array<std::uint8_t, 3>, 8> kGroupColours = {{
    {0x30, 0x30, 0x38},  // tiles 0..7: stone grey
    {0x20, 0x60, 0xC0},  // blue
    {0x20, 0xA0, 0x40},  // green
    {0xC0, 0x40, 0x30},  // red
    {0xD0, 0xB0, 0x20},  // yellow
    {0x90, 0x40, 0xB0},  // purple
    {0x20, 0xA0, 0xA0},  // teal
    {0xD0, 0x70, 0x20},  // orange
}};

}  // namespace

std::vector<std::uint8_t> EncodeGif(const IndexedPicture& picture) {
    int colours = 2;
    while (colours < int(picture.palette.size())) {
        colours *= 2;
    }
    std::vector<GifColorType> entries(std::size_t(colours), GifColorType{0, 0, 0});
    for (std::size_t index = 0; index < picture.palette.size(); ++index) {
        entries[index] = {picture.palette[index][0], picture.palette[index][1],
                          picture.palette[index][2]};
    }
    std::vector<std::uint8_t> bytes;
    const auto append = [](GifFileType* gif, const GifByteType* data, int length) {
        auto& out = *static_cast<std::vector<std::uint8_t>*>(gif->UserData);
        out.insert(out.end(), data, data + length);
        return length;
    };
    int status = 0;
    GifFileType* gif = EGifOpen(&bytes, append, &status);
    if (!gif) {
        return {};
    }
    // Transparency needs a graphic control extension, which GIF89a introduced.
    EGifSetGifVersion(gif, picture.transparentIndex >= 0);
    ColorMapObject* map = GifMakeMapObject(colours, entries.data());
    const int screenWidth = picture.screenWidth ? picture.screenWidth : picture.width;
    const int screenHeight = picture.screenHeight ? picture.screenHeight : picture.height;
    bool written = map && EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, map) == GIF_OK;
    if (written && picture.transparentIndex >= 0) {
        // A graphic control extension: no disposal, no delay, transparent colour flag set.
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = picture.transparentIndex;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        written = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    }
    written = written && EGifPutImageDesc(gif, picture.left, picture.top, picture.width,
                                          picture.height, picture.interlaced, nullptr) == GIF_OK;
    // An interlaced picture stores every eighth row from 0, every eighth from 4, every fourth
    // from 2, then every second from 1.
    const int passes = picture.interlaced ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = picture.interlaced ? std::array{0, 4, 2, 1}[std::size_t(pass)] : 0;
        const int step = picture.interlaced ? std::array{8, 8, 4, 2}[std::size_t(pass)] : 1;
        for (int row = start; written && row < picture.height; row += step) {
            auto* line = const_cast<GifPixelType*>(picture.pixels.data() + row * picture.width);
            written = EGifPutLine(gif, line, picture.width) == GIF_OK;
        }
    }
    GifFreeMapObject(map);
    written = EGifCloseFile(gif, &status) == GIF_OK && written;
    return written ? bytes : std::vector<std::uint8_t>();
}

bool WriteGif(const std::string& path, const IndexedPicture& picture, std::string& error) {
    const std::vector<std::uint8_t> bytes = EncodeGif(picture);
    if (bytes.empty()) {
        error = path + ": giflib refused the picture";
        return false;
    }
    // Written here rather than by giflib, which creates files readable by their owner only:
    // the pictures get the same permissions as the other files of a folder.
    DiskFileSystem files;
    if (const FileStatus status = ReplaceFileContents(files, path, bytes); !status.ok()) {
        error = path + ": " + DescribeFileStatus(status);
        return false;
    }
    return true;
}

IndexedPicture MakeTilePicture(int tile) {
    IndexedPicture picture;
    picture.width = 16;
    picture.height = 16;
    // Floor and wall, the demo levels' commonest tiles, get colours of their own so that the
    // rooms read at a glance.
    std::array<std::uint8_t, 3> base = kGroupColours[std::size_t(tile / 8)];
    if (tile == 0) {
        base = {0x14, 0x16, 0x1C};
    } else if (tile == 1) {
        base = {0x78, 0x48, 0x38};
    }
    // 0 background, 1 a lighter shade for the pattern, 2 the number's ink, 3 transparent.
    picture.palette = {
        base,
        {std::uint8_t(std::min(255, base[0] + 0x30)), std::uint8_t(std::min(255, base[1] + 0x30)),
         std::uint8_t(std::min(255, base[2] + 0x30))},
        {0xFF, 0xFF, 0xFF},
        {0xFF, 0x00, 0xFF}};
    picture.pixels.assign(16 * 16, 0);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            bool lit = false;
            if (tile == 1) {
                // Bricks: mortar every fourth row, joints staggered from row to row.
                lit = y % 4 == 3 || (x + (y / 4 % 2) * 4) % 8 == 7;
            } else if (tile != 0) {
                // Each tile of a group gets its own stripe pattern.
                lit = (x + y * (tile % 8 + 1)) % 8 < 2 || x == 0 || y == 0;
            }
            picture.pixels[std::size_t(y * 16 + x)] = lit ? 1 : 0;
        }
    }
    const auto ink = [&](int x, int y) { picture.pixels[std::size_t(y * 16 + x)] = 2; };
    DrawDigit(tile / 10, 4, 6, ink);
    DrawDigit(tile % 10, 9, 6, ink);
    if (tile % 4 == 3) {
        picture.transparentIndex = 3;
        for (int y = 12; y < 16; ++y) {
            for (int x = 12; x < 16; ++x) {
                picture.pixels[std::size_t(y * 16 + x)] = 3;
            }
        }
    }
    return picture;
}

bool WriteTilePictures(const std::string& folder, std::string& error) {
    const auto gifFolder = std::filesystem::path(folder) / "gif";
    std::error_code created;
    std::filesystem::create_directories(gifFolder, created);
    if (created) {
        error = gifFolder.string() + ": " + created.message();
        return false;
    }
    for (int tile = 0; tile < 64; ++tile) {
        const auto path = (gifFolder / (std::to_string(tile) + ".gif")).string();
        if (!WriteGif(path, MakeTilePicture(tile), error)) {
            return false;
        }
    }
    return true;
}

}  // namespace morvane::demo
