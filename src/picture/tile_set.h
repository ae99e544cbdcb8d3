#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>

#include "picture/folder_listing.h"
#include "picture/picture.h"

namespace morvane {

// The colour behind the tile pictures: transparent pixels of a tile show it, and so does a
// grid with no level loaded. The grid on screen and every picture made of a level use it.
inline constexpr std::uint32_t kLevelBackground = 0xFF2C3A4A;

// The pictures of the 64 tile numbers: GIF files "<n>.gif" in the folder "gif" of a directory.
// Folders copied from Windows may spell the folder or the files in capitals ("GIF", "0.GIF");
// those are found too. Decoded pictures are kept by path, modification time and size, so a
// picture is decoded once however often it is shown, and a file changed on disk is decoded
// again at its next use. A missing or unreadable picture (see DecodeGif for what is refused)
// gives a placeholder, never an error.
class TileSet {
public:
    // The size of a grid cell, to which every picture is scaled.
    static constexpr int kCellSize = 32;
    // The size of a placeholder at its own size.
    static constexpr int kPlaceholderSize = 16;
    static constexpr std::uint32_t kPlaceholderFill = 0xFF505050;
    static constexpr std::uint32_t kPlaceholderInk = 0xFFFFFFFF;
    // Tile picture files longer than this are not read: a tile GIF of kMaxGifSide squared
    // pixels takes far less.
    static constexpr std::int64_t kMaxFileBytes = 1 << 20;

    // directory: the folder that holds (or should hold) the "gif" folder.
    explicit TileSet(std::string directory);

    // Pictures taken from tileFolder itself ("<n>.gif", any letter case), for tools that are
    // told where the pictures are.
    static TileSet FromTileFolder(std::string tileFolder);

    // The file that holds tile's picture, or an empty string when there is none.
    std::string picturePath(int tile);

    // The picture of tile 0..63 at its own size. The reference stays valid until the next
    // call for the same tile.
    const Picture& tile(int tile);

    // The grid's cell of tile 0..63: the picture scaled to kCellSize x kCellSize by nearest
    // neighbour (the tiles are pixel art and keep hard edges), transparent pixels in
    // kLevelBackground, opaque. Valid as tile()'s result is.
    const Picture& cell(int tile);

    // How many picture files have been decoded so far (successfully or not).
    int decodeCount() const { return m_decodes; }

    // The placeholder for tile: its number drawn on a plain square.
    static Picture Placeholder(int tile);

private:
    struct Entry {
        std::filesystem::file_time_type modified;
        std::uintmax_t size = 0;
        bool decoded = false;
        Picture picture;
        Picture cell;
    };

    // The entry for tile's file, decoding the file when it is new or has changed, or the
    // tile's placeholder entry when there is no file.
    const Entry& entryFor(int tile);

    std::string m_directory;
    FolderListing m_listing;
    // Set when the pictures lie in this folder rather than in "gif" of m_directory.
    std::string m_tileFolder;
    std::unordered_map<std::string, Entry> m_cache;
    std::array<Entry, 64> m_placeholders;
    int m_decodes = 0;
};

}  // namespace morvane
