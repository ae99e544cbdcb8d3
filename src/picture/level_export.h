#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "leveldata/level_map.h"
#include "picture/picture.h"
#include "picture/tile_set.h"
#include "sources/source_selection.h"

namespace morvane {

// The exported picture of a level: the grid's picture halved by taking every second pixel in
// both directions, so each cell becomes 16 x 16 pixels and the level 512 x 112.
inline constexpr int kExportWidth = 512;
inline constexpr int kExportHeight = 112;
// A RAW file is the exported picture's pixels, rows top down, three bytes each: blue, green,
// red. No header, no padding.
inline constexpr int kRawFileSize = kExportWidth * kExportHeight * 3;

// The exported picture of map (opaque): output pixel (i, j) is pixel (2 (i mod 16),
// 2 (j mod 16)) of the grid's cell at column i / 16, row j / 16.
Picture ExportLevelPicture(const LevelMap& map, TileSet& tiles);

// The RAW file bytes of a picture: blue, green, red for each pixel, alpha dropped.
std::vector<std::uint8_t> RawPictureBytes(const Picture& picture);

// The export's file name, without a folder: for a source of one level the source file's name
// plus ".raw" (map.bin.raw), otherwise "Level" and the level number plus ".raw" (Level12.raw).
std::string ExportFileName(const SourceSelection& selection, int levelNumber);

}  // namespace morvane
