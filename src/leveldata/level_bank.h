#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "leveldata/level_failure.h"
#include "leveldata/level_map.h"
#include "leveldata/level_pointer.h"

namespace morvane {

// Where a level's stream lies and what it decodes to.
struct BankLevel {
    LevelMap map;
    // Offset of the stream's first byte from the bank start (198..16383).
    int offset = 0;
    // The stream's length in bytes (56..224).
    int length = 0;
};

// The 16 KB block that holds all 99 levels: a table of 99 pointers (bank bytes 0..197) and the
// data area (bank bytes 198..16383) with the packed streams in level order, then free space.
// A LevelBank holds the bank's bytes as far as the file has them; a file that ends early gives
// a shorter bank, and nothing beyond its end is treated as present.
class LevelBank {
public:
    static constexpr int kSize = 16384;
    static constexpr int kLevelCount = 99;
    static constexpr int kTableSize = 2 * kLevelCount;
    static constexpr int kDataAreaSize = kSize - kTableSize;

    // bytes: the bank's bytes present in the file, at most kSize (more are ignored).
    // dataOffset: the file byte of bank byte 0, used to word failures in file bytes.
    LevelBank(std::span<const std::uint8_t> bytes, std::int64_t dataOffset);

    std::span<const std::uint8_t> bytes() const { return m_bytes; }

    // The table entry of level index 0..98; the entry must lie in the present bytes.
    LevelPointer pointer(int index) const;

    // Checks the place of level index 0..98 and decodes its stream. Fails when the entry lies
    // past the file's end, the pointer does not point into the data area, or the stream is
    // malformed or leaves the bank or the file.
    LevelResult<BankLevel> readLevel(int index) const;

    // The end of the last level's stream (bank offset), found by decoding level 99. The bytes
    // after it up to the bank's end are free space.
    LevelResult<int> usedBytes() const;

    // The free bytes after the last level's stream, or nothing when level 99 cannot be read.
    std::optional<int> freeBytes() const;

private:
    std::vector<std::uint8_t> m_bytes;
    std::int64_t m_dataOffset;
};

}  // namespace morvane
