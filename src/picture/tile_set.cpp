#include "picture/tile_set.h"

#include <utility>
#include <vector>

#include "leveldata/disk_file_system.h"
#include "picture/digit_font.h"
#include "picture/gif_decoder.h"

namespace morvane {

namespace {

namespace fs = std::filesystem;

// The grid's cell of picture. Cell pixel x takes picture column ((2x + 1) w - 1) / 64: the
// source pixel under the cell pixel's centre, a centre that falls on a pixel edge taking the
// pixel before it.
Picture CellOf(const Picture& picture) {
    constexpr int kSize = TileSet::kCellSize;
    Picture cell(kSize, kSize, kLevelBackground);
    for (int y = 0; y < kSize; ++y) {
        const std::uint32_t* source =
            picture.row(((2 * y + 1) * picture.height() - 1) / (2 * kSize));
        std::uint32_t* target = cell.row(y);
        for (int x = 0; x < kSize; ++x) {
            const std::uint32_t pixel = source[((2 * x + 1) * picture.width() - 1) / (2 * kSize)];
            if (pixel >> 24) {
                target[x] = pixel | 0xFF000000;
            }
        }
    }
    return cell;
}

}  // namespace

TileSet::TileSet(std::string directory) : m_directory(std::move(directory)) {}

TileSet TileSet::FromTileFolder(std::string tileFolder) {
    TileSet tiles(fs::path(tileFolder).parent_path().string());
    tiles.m_tileFolder = std::move(tileFolder);
    return tiles;
}

std::string TileSet::picturePath(int tile) {
    const std::string folder =
        m_tileFolder.empty() ? m_listing.find(m_directory, "gif", true) : m_tileFolder;
    if (folder.empty()) {
        return {};
    }
    const std::string path = m_listing.find(folder, std::to_string(tile) + ".gif", false);
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error) ? path : std::string();
}

const TileSet::Entry& TileSet::entryFor(int tile) {
    const std::string path = picturePath(tile);
    if (path.empty()) {
        Entry& placeholder = m_placeholders[std::size_t(tile)];
        if (!placeholder.decoded) {
            placeholder.picture = Placeholder(tile);
            placeholder.cell = CellOf(placeholder.picture);
            placeholder.decoded = true;
        }
        return placeholder;
    }
    std::error_code timeError;
    std::error_code sizeError;
    const auto modified = fs::last_write_time(path, timeError);
    const auto size = fs::file_size(path, sizeError);
    Entry& entry = m_cache[path];
    if (entry.decoded && !timeError && !sizeError && entry.modified == modified &&
        entry.size == size) {
        return entry;
    }
    ++m_decodes;
    entry.modified = modified;
    entry.size = size;
    entry.decoded = true;
    DiskFileSystem files;
    std::vector<std::uint8_t> bytes;
    GifResult decoded = GifError::NotAGif;
    if (ReadWholeFile(files, path, kMaxFileBytes, bytes).ok()) {
        decoded = DecodeGif(bytes);
    }
    entry.picture = decoded.ok() ? std::move(decoded.value()) : Placeholder(tile);
    entry.cell = CellOf(entry.picture);
    return entry;
}

const Picture& TileSet::tile(int tile) {
    return entryFor(tile).picture;
}

const Picture& TileSet::cell(int tile) {
    return entryFor(tile).cell;
}

Picture TileSet::Placeholder(int tile) {
    Picture picture(kPlaceholderSize, kPlaceholderSize, kPlaceholderFill);
    const std::string digits = std::to_string(tile);
    const int width = int(digits.size()) * (kDigitWidth + 1) - 1;
    int left = (kPlaceholderSize - width) / 2;
    const int top = (kPlaceholderSize - kDigitHeight) / 2;
    for (const char digit : digits) {
        DrawDigit(digit - '0', left, top,
                  [&](int x, int y) { picture.setPixel(x, y, kPlaceholderInk); });
        left += kDigitWidth + 1;
    }
    return picture;
}

}  // namespace morvane
