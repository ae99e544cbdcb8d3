#include "fuzz_targets.h"
#include "picture/gif_decoder.h"

namespace morvane::fuzz {

void FuzzGif(std::span<const std::uint8_t> input) {
    const GifResult decoded = DecodeGif(input);
    if (!decoded.ok()) {
        Check(!DescribeGifError(decoded.failure()).empty());
        return;
    }
    const Picture& picture = decoded.value();
    // The logical screen's width and height, little-endian after "GIF89a"; 0 means the frame's.
    const int screenWidth = input[6] | input[7] << 8;
    const int screenHeight = input[8] | input[9] << 8;
    Check(screenWidth == 0 || picture.width() == screenWidth);
    Check(screenHeight == 0 || picture.height() == screenHeight);
    Check(picture.width() >= 1 && picture.width() <= kMaxGifSide && picture.height() >= 1 &&
          picture.height() <= kMaxGifSide);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint32_t pixel = picture.pixel(x, y);
            Check(pixel >> 24 == 0xFF || pixel == 0);
        }
    }
}

}  // namespace morvane::fuzz
