#include "cli/level_file.h"

#include <string_view>

#include "leveldata/map_text.h"

namespace morvane {

std::optional<std::string> ReadLevelFile(std::span<const std::uint8_t> bytes, TiledLevel& read) {
    if (LooksLikeTiledMap(bytes)) {
        const TiledMapResult tiled = ReadTiledMap(bytes);
        if (!tiled.ok()) {
            return DescribeTiledMapProblem(tiled.failure());
        }
        read = tiled.value();
        return std::nullopt;
    }
    const MapTextResult parsed =
        ParseMapText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!parsed.ok()) {
        return DescribeMapTextProblem(parsed.failure());
    }
    read = {parsed.value(), std::nullopt};
    return std::nullopt;
}

}  // namespace morvane
