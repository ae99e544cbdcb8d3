#include "fuzz_targets.h"
#include "picture/gif_decoder.h"

namespace morvane::fuzz {

void FuzzGif(std::span<const std::uint8_t> input) {
    const GifResult decoded = DecodeGif(input);
    const GifResult again = DecodeGif(input);
    Check(decoded.ok() == again.ok());
    if (!decoded.ok()) {
        Check(again.error() == decoded.error() && !DescribeGifError(decoded.error()).empty());
        return;
    }
    const Picture& picture = decoded.picture();
    Check(picture == again.picture());
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
