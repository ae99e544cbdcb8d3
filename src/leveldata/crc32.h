#pragma once

#include <cstdint>
#include <span>

namespace morvane {

// The CRC-32 of bytes (zlib's, as ZIP, PNG, BPS patches and our own headers use it).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

}  // namespace morvane
