#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "picture/tile_set.h"
#include "tiled/tiled_map_writer.h"

namespace morvane {

// The tileset that goes beside exported TMX maps, and the tile size of those maps.
// The tile pictures for the source at sourcePath: those in tilesFolder (--tiles) when given,
// else the "gif" folder beside the source. tileFolder is set to the folder they are (or would
// be) in.
TileSet TilesFor(const std::optional<std::string>& tilesFolder, const std::string& sourcePath,
                 std::string& tileFolder);

// The problem with a --tiles folder that does not exist, or nothing (also when none is given).
std::optional<std::string> MissingTilesFolder(const std::optional<std::string>& folder);

struct TilesetExport {
    std::string text;
    TileSize tileSize;
};

// The tileset of tiles for maps in mapFolder: each picture by its path relative to mapFolder,
// with its size. A missing picture is listed where it belongs, "<n>.gif" in tileFolder, the
// folder tiles reads from, at the size of its placeholder.
TilesetExport MakeTilesetExport(TileSet& tiles, const std::string& tileFolder,
                                const std::string& mapFolder);

}  // namespace morvane
