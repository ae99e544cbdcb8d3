#pragma once

#include <QImage>

#include "picture/picture.h"

namespace morvane {

// A copy of picture as a QImage that owns its pixels: Format_RGB32 for pictures of levels,
// Format_ARGB32 for tile pictures with transparent pixels. The two share the picture's layout,
// so nothing is converted.
QImage ToQImage(const Picture& picture, QImage::Format format);

}  // namespace morvane
