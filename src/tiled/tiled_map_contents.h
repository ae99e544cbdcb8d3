#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// A tileset as a map refers to it: the first gid it owns and its name, which for an external
// tileset is its file's name without folder and extension ("tiles" for tiles.tsx).
struct TilesetReference {
    std::uint32_t firstGid = 0;
    std::string name;
};

// One tile layer as the file stores it, not yet decoded.
struct TiledLayer {
    std::string name;
    // "csv" or "base64" for text, or empty when the gids are listed one by one.
    std::string encoding;
    // For base64: "", "zlib", "gzip" or "zstd".
    std::string compression;
    // The CSV or base64 text.
    std::string text;
    // The gids listed one by one (TMX <tile> elements, a JSON array).
    std::vector<std::uint32_t> gids;
    // Why the listed gids cannot be read, e.g. an item that is not a number; empty when they can.
    std::string listProblem;
};

// The level a map says it is, by its map property "level", as export and unpack write it.
inline constexpr std::string_view kLevelProperty = "level";

// What the TMX and JSON readers take from a map for the level reader to check.
struct TiledMapContents {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool infinite = false;
    // The level number (1..99) of the map property kLevelProperty, when the map has it.
    std::optional<int> level;
    std::vector<TilesetReference> tilesets;
    // Tile layers in file order, those inside groups included; other layers are left out.
    std::vector<TiledLayer> layers;
};

}  // namespace morvane
