#include "cli/tileset_export.h"

#include <filesystem>

namespace morvane {

namespace fs = std::filesystem;

namespace {

fs::path AbsoluteNormal(const fs::path& path) {
    std::error_code error;
    return fs::absolute(path, error).lexically_normal();
}

}  // namespace

TileSet TilesFor(const std::optional<std::string>& tilesFolder, const std::string& sourcePath,
                 std::string& tileFolder) {
    if (tilesFolder) {
        tileFolder = *tilesFolder;
        return TileSet::FromTileFolder(*tilesFolder);
    }
    const fs::path sourceFolder = AbsoluteNormal(sourcePath).parent_path();
    tileFolder = (sourceFolder / "gif").string();
    return TileSet(sourceFolder.string());
}

std::optional<std::string> MissingTilesFolder(const std::optional<std::string>& folder) {
    std::error_code missing;
    if (folder && !fs::is_directory(*folder, missing)) {
        return "there is no folder of tile pictures of that name";
    }
    return std::nullopt;
}

TilesetExport MakeTilesetExport(TileSet& tiles, const std::string& tileFolder,
                                const std::string& mapFolder) {
    const fs::path base = AbsoluteNormal(mapFolder.empty() ? "." : mapFolder);
    std::vector<TilesetImage> images;
    for (int tile = 0; tile < LevelMap::kTileCount; ++tile) {
        std::string path = tiles.picturePath(tile);
        if (path.empty()) {
            path = (fs::path(tileFolder) / (std::to_string(tile) + ".gif")).string();
        }
        const Picture& picture = tiles.tile(tile);
        images.push_back({AbsoluteNormal(path).lexically_relative(base).generic_string(),
                          picture.width(), picture.height()});
    }
    return {FormatTileset(images), TilesetTileSize(images)};
}

}  // namespace morvane
