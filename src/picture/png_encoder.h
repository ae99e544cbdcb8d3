#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "picture/picture.h"

namespace morvane {

// The PNG file of an opaque picture: 8-bit RGB, not interlaced, alpha dropped, with a
// resolution of 3937 pixels a metre (100 an inch), the resolution the tool's PNG pictures
// have always carried, so that a picture's file stays the same byte for byte. Compression
// and row filters are libpng's defaults. Returns nothing when libpng fails, which only
// running out of memory makes it do.
std::optional<std::vector<std::uint8_t>> EncodePng(const Picture& picture);

}  // namespace morvane
