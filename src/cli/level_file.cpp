#include "cli/level_file.h"

#include <string_view>

#include "leveldata/map_text.h"
#include "tiled/tiled_map_reader.h"

namespace morvane {

std::optional<std::string> ReadLevelFile(std::span<const std::uint8_t> bytes, LevelMap& map) {
    if (LooksLikeTiledMap(bytes)) {
        const TiledMapResult read = ReadTiledMap(bytes);
        if (!read.ok()) {
            return DescribeTiledMapProblem(read.failure());
        }
        map = read.value();
        return std::nullopt;
    }
    const MapTextResult parsed =
        ParseMapText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!parsed.ok()) {
        return DescribeMapTextProblem(parsed.failure());
    }
    map = parsed.value();
    return std::nullopt;
}

}  // namespace morvane
