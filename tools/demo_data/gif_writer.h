#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace morvane::demo {

// A palette picture: one palette index per pixel, rows top to bottom.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::array<std::uint8_t, 3>> palette;  // red, green, blue; at most 256 colours
    std::vector<std::uint8_t> pixels;                  // width * height palette indices
    int transparentIndex = -1;                         // palette index drawn transparent, or -1
};

// Encodes picture as the bytes of a GIF file into bytes. Returns false and sets error when
// giflib cannot encode it.
bool EncodeGif(const IndexedPicture& picture, std::vector<std::uint8_t>& bytes, std::string& error);

// Writes picture as a GIF file. Returns false and sets error when the file cannot be written.
bool WriteGif(const std::string& path, const IndexedPicture& picture, std::string& error);

// The demo's picture of tile 0..63: 16 x 16 pixels, a colour per group of eight tiles, a pattern
// per tile and the tile number drawn on it; every fourth tile has a transparent corner.
IndexedPicture MakeTilePicture(int tile);

// Writes gif/0.gif .. gif/63.gif into folder, creating "gif". Returns false and sets error on
// the first file that cannot be written.
bool WriteTilePictures(const std::string& folder, std::string& error);

}  // namespace morvane::demo
