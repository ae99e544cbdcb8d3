#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "leveldata/level_map.h"
#include "sources/source_selection.h"
#include "ui/editor/tile_images.h"

namespace morvane {

// The exported picture of a level: the grid's picture halved by taking every second pixel in
// both directions, so each cell becomes 16 x 16 pixels and the level 512 x 112.
inline constexpr int kExportWidth = 512;
inline constexpr int kExportHeight = 112;
// A RAW file is the exported picture's pixels, rows top down, three bytes each: blue, green,
// red. No header, no padding.
inline constexpr int kRawFileSize = kExportWidth * kExportHeight * 3;

// The exported picture of map (Format_RGB32): output pixel (i, j) is pixel (2 (i mod 16),
// 2 (j mod 16)) of the picture the grid shows in the cell at column i / 16, row j / 16, with
// transparent tile pixels in the grid's background colour.
QImage ExportLevelPicture(const LevelMap& map, TileImages& tiles);

// The RAW file bytes of an exported picture.
std::vector<std::uint8_t> RawPictureBytes(const QImage& picture);

// The export's file name, without a folder: for a source of one level the source file's name
// plus ".raw" (map.bin.raw), otherwise "Level" and the level number plus ".raw" (Level12.raw).
QString ExportFileName(const SourceSelection& selection, int levelNumber);

// True when path and sourcePath name one existing file, through links too: writing the picture
// there would replace the source it was made from.
bool IsSameFile(const QString& path, const QString& sourcePath);

}  // namespace morvane
