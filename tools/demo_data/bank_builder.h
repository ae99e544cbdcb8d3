#pragma once

#include <cstdint>
#include <vector>

#include "leveldata/level_map.h"

namespace morvane::demo {

// Lays out 99 packed streams as a bank: the pointer table, the streams one after another from
// bank byte 198, and free space filled with freeFill up to 16384 bytes. The streams must fit.
std::vector<std::uint8_t> AssembleBank(const std::vector<std::vector<std::uint8_t>>& streams,
                                       std::uint8_t freeFill = 0);

// A valid stream of map that is not greedy: every run of four equal cells is stored as two
// runs of two, so the stream is longer than PackLevel's whenever the map has such runs.
std::vector<std::uint8_t> PackInPairs(const LevelMap& map);

}  // namespace morvane::demo
