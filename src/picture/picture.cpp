#include "picture/picture.h"

namespace morvane {

Picture::Picture(int width, int height, std::uint32_t fill)
    : m_width(width), m_height(height), m_pixels(std::size_t(width) * std::size_t(height), fill) {}

}  // namespace morvane
