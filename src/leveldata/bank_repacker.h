#pragma once

#include <cstdint>
#include <optional>

#include "leveldata/bank_history.h"
#include "leveldata/byte_file.h"
#include "leveldata/level_failure.h"
#include "leveldata/level_layout.h"

namespace morvane {

struct RepackResult {
    // Free bytes at the end of the bank before and after.
    int freeBefore = 0;
    int freeAfter = 0;
};

// Saves every level 1..99 of the bank in the open file with its own cells, in order, as the
// editor's save would, which packs every stream greedily and reclaims the bytes of streams
// that were not. The saves run on a copy in memory; the file is written once, with the final
// bank, through note's restore point, and only when every level could be read and saved. On
// failure the file is unchanged.
LevelResult<RepackResult> RepackBankInFile(ByteFile& file, const LevelLayout& layout,
                                           const BankWriteNote& note = {});

}  // namespace morvane
