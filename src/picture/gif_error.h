#pragma once

#include <optional>
#include <string>
#include <utility>

#include "leveldata/result.h"
#include "picture/picture.h"

namespace morvane {

// Why a GIF file gives no picture. Every one of them shows as the tile's placeholder.
enum class GifError {
    // The bytes do not start with the "GIF" signature.
    NotAGif,
    // The file ends inside its header, a colour table, a block or the picture's data.
    EndsEarly,
    // The blocks or the compressed picture data make no sense.
    Damaged,
    // The file ends before its first picture.
    NoPicture,
    // The picture has no pixels.
    EmptyPicture,
    // The picture is wider or taller than a tile picture may be (kMaxGifSide).
    TooLarge,
    // The picture's frame reaches past the logical screen it is drawn on.
    FrameOutsideScreen,
    // Neither the frame nor the file has a colour table, so no pixel has a colour.
    NoColourTable,
};

// Words an error for a user, e.g. "the file ends early".
std::string DescribeGifError(GifError error);

// Either a decoded picture or the reason there is none.
using GifResult = Result<Picture, GifError>;

}  // namespace morvane
