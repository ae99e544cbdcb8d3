#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvane {

// A picture of 32-bit pixels 0xAARRGGBB, rows top down with no padding: the memory layout of
// Qt's Format_ARGB32 and Format_RGB32, so that a window shows one without converting it. Tile
// pictures use alpha 0 for transparent pixels and 255 for all others; pictures of levels are
// opaque.
class Picture {
public:
    Picture() = default;
    // width x height pixels of colour fill. Callers keep sizes small; nothing here refuses them.
    Picture(int width, int height, std::uint32_t fill);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isNull() const { return m_pixels.empty(); }

    // x and y must lie in the picture: a pixel off its edge would be another row's.
    std::uint32_t pixel(int x, int y) const {
        assert(x >= 0 && x < m_width && y >= 0 && y < m_height);
        return m_pixels[index(x, y)];
    }
    void setPixel(int x, int y, std::uint32_t colour) {
        assert(x >= 0 && x < m_width && y >= 0 && y < m_height);
        m_pixels[index(x, y)] = colour;
    }
    // The first pixel of row y; the row's width() pixels follow it.
    std::uint32_t* row(int y) { return m_pixels.data() + index(0, y); }
    const std::uint32_t* row(int y) const { return m_pixels.data() + index(0, y); }

    bool operator==(const Picture& other) const = default;

private:
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(m_width) + x; }

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};

}  // namespace morvane
