#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "leveldata/bank_writer.h"
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

// A bank with one level saved into it, and that level's new stream length.
struct SavedLevel {
    std::vector<std::uint8_t> bank;
    std::uint8_t length = 0;
};

// Packs map and saves it as level index (0..98) of the bank in source, the file's bytes from
// the bank's start (file byte base) on, as many as the file holds up to 32768 of them; bytes
// past the end read as zero. oldPackedLength and levelOffset describe the level's stream as it
// stands now (as the last load or save left them). Returns the new 16384-byte bank, or the
// refusal: a save that would overflow the bank, change how any readable level reads, or find
// the level's stream elsewhere than described. Failures name file offsets from base.
LevelResult<SavedLevel> SaveLevelInBank(std::span<const std::uint8_t> source, std::int64_t base,
                                        int index, const LevelMap& map,
                                        std::uint8_t oldPackedLength, std::int16_t levelOffset);

// Saves map as level index of the bank in the open file, as SaveLevelInBank on the file's
// bytes, read under the write lock (BeginBankWrite), then writes the bank through
// WriteBankToFile. The file is written only when the save can succeed. Bytes outside the bank
// are never written. Returns the new stream's length, which becomes the level's
// oldPackedLength.
LevelResult<std::uint8_t> SaveLevelToFile(ByteFile& file, const LevelLayout& layout, int index,
                                          const LevelMap& map, std::uint8_t oldPackedLength,
                                          std::int16_t levelOffset,
                                          const BankWriteOptions& options = {});

}  // namespace morvane
