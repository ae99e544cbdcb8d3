#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "leveldata/level_map.h"

namespace morvane {

// A packed level is a stream of runs, one byte each: bits 0..5 hold the tile number, bits 6..7
// the run length minus one. Runs fill cells 0..223 in order; a complete stream covers exactly
// 224 cells, so it is 56..224 bytes long.

enum class UnpackError {
    None,
    // A run would carry the cell counter past cell 223.
    RunPastEnd,
    // The bytes ran out before 224 cells were filled.
    StreamEnded,
};

struct UnpackResult {
    UnpackError error = UnpackError::None;
    // Bytes consumed: the stream's length on success.
    int consumed = 0;
    // On failure, the index in the stream of the offending run, or for StreamEnded the index
    // of the byte that was missing.
    int errorByte = 0;

    bool ok() const { return error == UnpackError::None; }
};

// Decodes the stream at the start of bytes into map cells 0..223. Reads only as many bytes as
// the runs need. The level is decoded into a scratch map first: only a complete level is
// committed, and then every cell is announced through cellWritten in ascending order. On
// failure map is left unchanged and nothing is announced.
UnpackResult UnpackLevel(std::span<const std::uint8_t> bytes, LevelMap& map,
                         const std::function<void(int cell)>& cellWritten = {});

// Packs cells 0..223 greedily from cell 0: each run takes up to four equal cells. The result is
// a function of the map alone and always decodes back to the same cells.
std::vector<std::uint8_t> PackLevel(const LevelMap& map);

}  // namespace morvane
