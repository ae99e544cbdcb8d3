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

// The index of the only item, or of the one item named name; nothing when there is no item or
// the choice is unclear.
template <typename Item>
std::optional<std::size_t> OnlyOrNamed(const std::vector<Item>& items, std::string_view name) {
    if (items.size() == 1) {
        return 0;
    }
    const auto named = [name](const Item& item) { return item.name == name; };
    if (std::count_if(items.begin(), items.end(), named) != 1) {
        return std::nullopt;
    }
    return std::size_t(std::find_if(items.begin(), items.end(), named) - items.begin());
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
                               .width = int(contents.layers.size())};
    }
    if (contents.tilesets.empty()) {
        return TiledMapProblem{.error = TiledMapError::NoTileset};
    }
    const auto tilesetIndex = OnlyOrNamed(contents.tilesets, "tiles");
    if (!tilesetIndex) {
        return TiledMapProblem{.error = TiledMapError::UnclearTileset};
    }
    std::vector<std::uint32_t> gids;
    if (auto problem = DecodeLayerData(contents.layers[*layerIndex], LevelMap::kCellCount, gids)) {
        return TiledMapProblem{.error = TiledMapError::BadLayerData, .detail = *problem};
    }
    const std::uint32_t firstGid = contents.tilesets[*tilesetIndex].firstGid;
    LevelMap map;
    for (int at = 0; at < LevelMap::kCellCount; ++at) {
        const std::uint32_t gid = gids[std::size_t(at)];
        TiledMapProblem cell{.x = at % LevelMap::kColumns, .y = at / LevelMap::kColumns};
        if (gid == 0) {
            cell.error = TiledMapError::EmptyCell;
            return cell;
        }
        if (gid & kFlipBits) {
            cell.error = TiledMapError::FlippedTile;
            return cell;
        }
        // The tileset that owns a gid is the one with the greatest firstgid not above it.
        const TilesetReference* owner = nullptr;
        for (const TilesetReference& tileset : contents.tilesets) {
            if (tileset.firstGid <= gid && (!owner || tileset.firstGid > owner->firstGid)) {
                owner = &tileset;
            }
        }
        if (owner != &contents.tilesets[*tilesetIndex]) {
            cell.error = TiledMapError::OtherTileset;
            cell.value = gid;
            return cell;
        }
        if (gid - firstGid >= LevelMap::kTileCount) {
            cell.error = TiledMapError::TileAbove63;
            cell.value = gid - firstGid;
            return cell;
        }
        map.setCell(LevelMap::cellAt(cell.x, cell.y), std::uint8_t(gid - firstGid));
    }
    return map;
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
