#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "tiled/tiled_map_reader.h"

namespace morvane {

// Reads a level from the bytes of a level file: a TMX or Tiled JSON map (told by its first
// character, '<' or '{'), else text in dump's layout, which names no level number. Returns the
// problem in words, or nothing with the level in read.
std::optional<std::string> ReadLevelFile(std::span<const std::uint8_t> bytes, TiledLevel& read);

}  // namespace morvane
