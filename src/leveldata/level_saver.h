#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "leveldata/bank_history.h"
#include "leveldata/byte_file.h"
#include "leveldata/level_failure.h"
#include "leveldata/level_layout.h"
#include "leveldata/level_map.h"

namespace morvane {

// Rebuilds the bank around a new stream for level index (0..98), whose old stream of oldLength
// bytes starts levelOffset bytes into the data area. source holds the file's bytes from the
// bank start on, at least 16384 + levelOffset + oldLength of them. The result, always 16384
// bytes, is: table entries 0..index unchanged, later entries moved by the change in length,
// the data area's first levelOffset bytes unchanged, the new stream, then the bytes that
// followed the old stream, cut at the bank's end.
std::vector<std::uint8_t> RebuildBank(std::span<const std::uint8_t> source, int index,
                                      int levelOffset, int oldLength,
                                      std::span<const std::uint8_t> newStream);

// Packs map and saves it as level index of the bank in the open file, moving every later level
// and pointer. oldPackedLength and levelOffset describe the level's stream as it stands in the
// file now (as the last load or save left them). Returns the new stream's length, which becomes
// the level's oldPackedLength.
//
// The file is written only when the save can succeed: a save that would overflow the bank or
// change how any readable level reads is refused with the file untouched. All reads happen
// before the single 16384-byte write at the bank's start, which goes through WriteBankToFile's
// steps: the restore point of note first, then the write, the flush and the read-back. Bytes
// outside the bank are never written; bytes past the end of the file read as zero.
LevelResult<std::uint8_t> SaveLevelToFile(ByteFile& file, const LevelLayout& layout, int index,
                                          const LevelMap& map, std::uint8_t oldPackedLength,
                                          std::int16_t levelOffset, const BankWriteNote& note = {});

// The one way a bank is written. Makes note's restore point of the bank as it stands (a failure
// there is returned as HistoryFailed with nothing written), then writes the 16384-byte bank at
// dataOffset in one write, cuts the file to fileLength when that is given and ends inside the
// bank (a restored short bank file), flushes and reads the bank back. If the write, the flush
// or the read-back fails, the previous bytes and the file's previous length are put back and
// the failure is returned; nothing is returned on success.
std::optional<LevelFailure> WriteBankToFile(ByteFile& file, std::int64_t dataOffset,
                                            std::span<const std::uint8_t> bank,
                                            const BankWriteNote& note = {},
                                            std::optional<std::int64_t> fileLength = {});

}  // namespace morvane
