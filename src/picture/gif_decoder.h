#pragma once

#include <cstdint>
#include <span>

#include "picture/gif_error.h"

namespace morvane {

// The largest tile picture, in either direction. Tiles are 16 x 16 pixels and the grid shows
// 32 x 32; a larger picture is refused before anything is allocated for it.
inline constexpr int kMaxGifSide = 256;

// Decodes the first picture of a GIF file (GIF87a or GIF89a) held in bytes, which the caller
// owns and which are only read. The picture is the file's logical screen: the frame is drawn
// on it at its place, pixels of the transparent colour get alpha 0, and the rest of the screen
// is transparent when the file has a transparent colour, else the background colour of the
// file's colour table, else black. An index past the colour table is transparent, or white in
// a file without a transparent colour. Interlaced frames are put back in row order. Later
// frames are ignored. Anything else (see GifError) gives an error and no picture. Sizes are
// checked before pixels are read, so however large a file claims its picture to be, decoding
// allocates at most one frame of kMaxGifSide squared indices and one such picture.
GifResult DecodeGif(std::span<const std::uint8_t> bytes);

}  // namespace morvane
