#include "leveldata/crc32.h"

#include <zlib.h>

#include <algorithm>

namespace morvane {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    uLong crc = ::crc32(0, nullptr, 0);
    // zlib takes lengths as uInt; large spans go in pieces.
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), 1u << 30);
        crc = ::crc32(crc, bytes.data(), uInt(piece));
        bytes = bytes.subspan(piece);
    }
    return std::uint32_t(crc);
}

}  // namespace morvane
