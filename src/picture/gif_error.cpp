#include "picture/gif_error.h"

namespace morvane {

std::string DescribeGifError(GifError error) {
    switch (error) {
        case GifError::NotAGif:
            return "the file is not a GIF picture";
        case GifError::EndsEarly:
            return "the file ends early";
        case GifError::Damaged:
            return "the picture data is damaged";
        case GifError::NoPicture:
            return "the file holds no picture";
        case GifError::EmptyPicture:
            return "the picture has no pixels";
        case GifError::TooLarge:
            return "the picture is larger than a tile picture may be";
        case GifError::FrameOutsideScreen:
            return "the picture reaches past its screen";
        case GifError::NoColourTable:
            return "the picture has no colour table";
    }
    return "the picture cannot be read";
}

}  // namespace morvane
