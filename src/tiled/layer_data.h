#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tiled/tiled_map_contents.h"

namespace morvane {

// Decodes base64 text (standard alphabet, '=' padding; whitespace anywhere is skipped, as
// Tiled indents it) into bytes. Returns false on any other character or a bad length.
bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& bytes);

// Inflates zlib data (gzip: a gzip member instead) that must give exactly expected bytes.
// Returns the problem in words, or nothing with the bytes in output.
std::optional<std::string> Inflate(std::span<const std::uint8_t> input, bool gzip,
                                   std::size_t expected, std::vector<std::uint8_t>& output);

// Decompresses zstd frames that must give exactly expected bytes, as Inflate.
std::optional<std::string> DecompressZstd(std::span<const std::uint8_t> input, std::size_t expected,
                                          std::vector<std::uint8_t>& output);

// The count gids of layer, decoded from its encoding and compression: CSV text, base64 of
// little-endian 32-bit gids (raw, zlib, gzip or zstd), or the gids listed one by one. Returns
// the problem in words, or nothing with the gids in gids.
std::optional<std::string> DecodeLayerData(const TiledLayer& layer, std::size_t count,
                                           std::vector<std::uint32_t>& gids);

}  // namespace morvane
