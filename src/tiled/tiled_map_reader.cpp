#include "tiled/tiled_map_reader.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "tiled/json_map_reader.h"
#include "tiled/layer_data.h"
#include "tiled/tmx_map_reader.h"

namespace morvane {

namespace {

// The top bits of a gid: flipped horizontally, vertically, diagonally (with both others, a
// rotation), and rotated by 120 degrees on hexagonal maps. The rest is the tile's gid.
constexpr std::uint32_t kFlipBits = 0xF0000000u;

// The first byte after a UTF-8 byte order mark and whitespace, or 0.
std::uint8_t FirstSignificantByte(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes = bytes.subspan(3);
    }
    for (const std::uint8_t byte : bytes) {
        if (byte != ' ' && byte != '\t' && byte != '\n' && byte != '\r') {
            return byte;
        }
    }
    return 0;
}

// The index of the only layer, or of the one layer named name; nothing when there is none or
// the choice is unclear.
std::optional<std::size_t> OnlyOrNamed(const std::vector<TiledLayer>& items,
                                       std::string_view name) {
    if (items.size() == 1) {
        return 0;
    }
    const auto named = [name](const TiledLayer& item) { return item.name == name; };
    if (std::count_if(items.begin(), items.end(), named) != 1) {
        return std::nullopt;
    }
    return std::size_t(std::find_if(items.begin(), items.end(), named) - items.begin());
}

// The bad cell gid makes at x, y of a level whose tilesets are tilesets, ours those named
// "tiles" (or the only one); nothing with its tile number in tile when it is good.
std::optional<BadCell> CheckCell(std::uint32_t gid, int x, int y,
                                 const std::vector<TilesetReference>& tilesets,
                                 std::uint8_t& tile) {
    if (gid == 0) {
        return BadCell{CellError::Empty, x, y};
    }
    if (gid & kFlipBits) {
        return BadCell{CellError::Flipped, x, y};
    }
    // The tileset that owns a gid is the one with the greatest firstgid not above it.
    const TilesetReference* owner = nullptr;
    for (const TilesetReference& tileset : tilesets) {
        if (tileset.firstGid <= gid && (!owner || tileset.firstGid > owner->firstGid)) {
            owner = &tileset;
        }
    }
    if (!owner || (tilesets.size() > 1 && owner->name != "tiles")) {
        return BadCell{CellError::OtherTileset, x, y, gid};
    }
    if (gid - owner->firstGid >= LevelMap::kTileCount) {
        return BadCell{CellError::Above63, x, y, gid - owner->firstGid};
    }
    tile = std::uint8_t(gid - owner->firstGid);
    return std::nullopt;
}

// The level from a map's contents, checked as ReadTiledMap describes.
TiledMapResult LevelFromContents(const TiledMapContents& contents) {
    if (contents.infinite) {
        return TiledMapProblem{.error = TiledMapError::Infinite};
    }
    if (contents.width != LevelMap::kColumns || contents.height != LevelMap::kRows) {
        return TiledMapProblem{
            .error = TiledMapError::WrongSize, .width = contents.width, .height = contents.height};
    }
    if (contents.layers.empty()) {
        return TiledMapProblem{.error = TiledMapError::NoTileLayer};
    }
    const auto layerIndex = OnlyOrNamed(contents.layers, "level");
    if (!layerIndex) {
        return TiledMapProblem{.error = TiledMapError::SeveralTileLayers,
                               .width = std::int64_t(contents.layers.size())};
    }
    if (contents.tilesets.empty()) {
        return TiledMapProblem{.error = TiledMapError::NoTileset};
    }
    if (contents.tilesets.size() > 1 &&
        std::none_of(contents.tilesets.begin(), contents.tilesets.end(),
                     [](const TilesetReference& tileset) { return tileset.name == "tiles"; })) {
        return TiledMapProblem{.error = TiledMapError::UnclearTileset};
    }
    std::vector<std::uint32_t> gids;
    if (auto problem = DecodeLayerData(contents.layers[*layerIndex], LevelMap::kCellCount, gids)) {
        return TiledMapProblem{.error = TiledMapError::BadLayerData, .detail = *problem};
    }
    // Tiled paints into the selected layer, so strokes meant for the level may sit in another.
    for (std::size_t at = 0; at < contents.layers.size(); ++at) {
        std::vector<std::uint32_t> other;
        const TiledLayer& layer = contents.layers[at];
        if (at == *layerIndex) {
            continue;
        }
        if (auto problem = DecodeLayerData(layer, LevelMap::kCellCount, other)) {
            return TiledMapProblem{
                .error = TiledMapError::BadLayerData, .detail = *problem, .layer = layer.name};
        }
        if (std::any_of(other.begin(), other.end(), [](std::uint32_t gid) { return gid != 0; })) {
            return TiledMapProblem{.error = TiledMapError::ExtraLayerHoldsTiles,
                                   .layer = layer.name};
        }
    }
    TiledLevel level{.map = {}, .level = contents.level};
    std::vector<BadCell> bad;
    for (int at = 0; at < LevelMap::kCellCount; ++at) {
        const int x = at % LevelMap::kColumns;
        const int y = at / LevelMap::kColumns;
        std::uint8_t tile = 0;
        if (auto cell = CheckCell(gids[std::size_t(at)], x, y, contents.tilesets, tile)) {
            bad.push_back(*cell);
        }
        level.map.setCell(LevelMap::cellAt(x, y), tile);
    }
    if (!bad.empty()) {
        return TiledMapProblem{.error = TiledMapError::BadCells, .cells = std::move(bad)};
    }
    return level;
}

}  // namespace

bool LooksLikeTiledMap(std::span<const std::uint8_t> bytes) {
    const std::uint8_t first = FirstSignificantByte(bytes);
    return first == '<' || first == '{';
}

TiledMapResult ReadTiledMap(std::span<const std::uint8_t> bytes) {
    TiledMapContents contents;
    const std::uint8_t first = FirstSignificantByte(bytes);
    std::optional<TiledMapProblem> problem;
    if (first == '<') {
        problem = ReadTmxContents(bytes, contents);
    } else if (first == '{') {
        problem = ReadJsonContents(bytes, contents);
    } else {
        problem = TiledMapProblem{.error = TiledMapError::NotAMap,
                                  .detail = "it starts with neither '<' nor '{'"};
    }
    if (problem) {
        return *problem;
    }
    return LevelFromContents(contents);
}

}  // namespace morvane
