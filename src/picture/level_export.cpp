#include "picture/level_export.h"

#include <array>
#include <charconv>

namespace morvane {

Picture ExportLevelPicture(const LevelMap& map, TileSet& tiles) {
    constexpr int kHalfCell = TileSet::kCellSize / 2;
    std::array<const Picture*, LevelMap::kTileCount> byTile{};
    Picture picture(kExportWidth, kExportHeight, kLevelBackground);
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        const Picture*& source = byTile[map.cell(cell)];
        if (!source) {
            source = &tiles.cell(map.cell(cell));
        }
        const int left = LevelMap::columnOf(cell) * kHalfCell;
        const int top = LevelMap::rowOf(cell) * kHalfCell;
        for (int y = 0; y < kHalfCell; ++y) {
            const std::uint32_t* from = source->row(2 * y);
            std::uint32_t* to = picture.row(top + y) + left;
            for (int x = 0; x < kHalfCell; ++x) {
                to[x] = from[2 * x];
            }
        }
    }
    return picture;
}

std::vector<std::uint8_t> RawPictureBytes(const Picture& picture) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::size_t(picture.width()) * std::size_t(picture.height()) * 3);
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint32_t* row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            bytes.push_back(std::uint8_t(row[x]));
            bytes.push_back(std::uint8_t(row[x] >> 8));
            bytes.push_back(std::uint8_t(row[x] >> 16));
        }
    }
    return bytes;
}

std::string ExportFileName(const SourceSelection& selection, int levelNumber) {
    const std::string& text = selection.numMaps;
    int maps = 0;
    std::from_chars(text.data(), text.data() + text.size(), maps);
    if (maps == 1) {
        return selection.fileName + ".raw";
    }
    return "Level" + std::to_string(levelNumber) + ".raw";
}

}  // namespace morvane
