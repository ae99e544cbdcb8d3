#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "leveldata/bank_writer.h"
#include "leveldata/byte_file.h"
#include "leveldata/level_failure.h"
#include "leveldata/level_layout.h"
#include "leveldata/level_map.h"

namespace morvane {

struct BatchResult {
    // Free bytes at the end of the bank before and after; unknown when level 99 cannot be read.
    std::optional<int> freeBefore;
    std::optional<int> freeAfter;
    // False when the saves left every byte of the bank as it was: then nothing was written and
    // no restore point kept.
    bool written = true;
};

// A level index (0..98) and the map to save as that level.
using LevelChange = std::pair<int, LevelMap>;

// Saves each change as a load and a save of that level would, one after another in ascending
// level order, so the bytes are those that saving each level in turn gives in the end. The
// saves run on a copy in memory; the file is written once, with the final bank, through options'
// restore point, and only when every save succeeded and the bank's bytes changed. On failure (an
// unreadable level, a bank overflow, a level that would read differently) the failure of the first
// refused save is returned and the file is unchanged.
LevelResult<BatchResult> SaveLevelsInFile(ByteFile& file, const LevelLayout& layout,
                                          std::vector<LevelChange> changes,
                                          const BankWriteOptions& options = {});

// Saves every level 1..99 of the bank with its own cells, which packs every stream greedily
// and reclaims the bytes of streams that were not; as SaveLevelsInFile.
LevelResult<BatchResult> RepackBankInFile(ByteFile& file, const LevelLayout& layout,
                                          const BankWriteOptions& options = {});

// The maps of every level of the bank in the file, in level order; fails on the first level
// that cannot be read.
LevelResult<std::vector<LevelMap>> ReadAllMaps(ByteFile& file, const LevelLayout& layout);

}  // namespace morvane
