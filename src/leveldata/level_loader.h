#pragma once

#include <cstdint>

#include "leveldata/byte_file.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_failure.h"
#include "leveldata/level_layout.h"
#include "leveldata/level_map.h"

namespace morvane {

// A level as loaded from its file, with the bookkeeping a later save relies on.
struct LoadedLevel {
    LevelMap map;
    // Length of the level's stream as it now stands in the file (56..224).
    std::uint8_t oldPackedLength = 0;
    // Offset of the stream within the data area (bank offset - 198); -198 for a single map.
    std::int16_t levelOffset = 0;
};

// Reads the bank at dataOffset as far as the file holds it (at most 16384 bytes). Never reads
// before dataOffset. Fails only when the file cannot be read.
LevelResult<LevelBank> ReadBankFromFile(ByteFile& file, std::int64_t dataOffset);

// Loads level index (0..98 for a bank, 0 for a single map) from the open file. Nothing is read
// before layout.dataOffset. A failure names the level and what is wrong with it; the file is
// only read.
LevelResult<LoadedLevel> LoadLevelFromFile(ByteFile& file, const LevelLayout& layout, int index);

}  // namespace morvane
