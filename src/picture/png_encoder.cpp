#include "picture/png_encoder.h"

#include <png.h>

namespace morvane {

namespace {

constexpr png_uint_32 kPixelsPerMetre = 3937;

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto& bytes = *static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bytes.insert(bytes.end(), data, data + length);
}

void NoFlush(png_structp) {}

// libpng reports errors by calling this, which must not return; warnings are dropped.
[[noreturn]] void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void Ignore(png_structp, png_const_charp) {}

// Writes rows as PNG into bytes. Kept apart from EncodePng so that no object with a destructor
// lives between setjmp and a longjmp back to it.
bool Write(std::vector<std::uint8_t>& bytes, std::vector<png_bytep>& rows, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Ignore);
    if (!png) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &bytes, Append, NoFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_pHYs(png, info, kPixelsPerMetre, kPixelsPerMetre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodePng(const Picture& picture) {
    // Red, green, blue bytes for each pixel, one row after another.
    const std::size_t stride = std::size_t(picture.width()) * 3;
    std::vector<std::uint8_t> samples(stride * std::size_t(picture.height()));
    std::vector<png_bytep> rows(std::size_t(picture.height()));
    for (int y = 0; y < picture.height(); ++y) {
        std::uint8_t* out = samples.data() + stride * std::size_t(y);
        rows[std::size_t(y)] = out;
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint32_t pixel = picture.pixel(x, y);
            *out++ = std::uint8_t(pixel >> 16);
            *out++ = std::uint8_t(pixel >> 8);
            *out++ = std::uint8_t(pixel);
        }
    }
    std::vector<std::uint8_t> bytes;
    if (!Write(bytes, rows, picture.width(), picture.height())) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace morvane
