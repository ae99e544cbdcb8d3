#pragma once

#include <cstdint>

namespace morvane {

// A bank's table entry: a 16-bit address in the game's address space, low byte first, where
// bank byte 0 is address 0x8000. Arithmetic is 16-bit and wraps.
struct LevelPointer {
    std::uint8_t low = 0;
    std::uint8_t high = 0;

    // The entry that points at bank offset `offset`.
    static LevelPointer FromOffset(std::int16_t offset);

    // Offset of the stream from the bank start: low + (high - 128) * 256, as a signed 16-bit
    // value. Only offsets 198..16383 point into the bank's data area.
    std::int16_t offset() const;

    // The entry moved by delta bytes, wrapping in 16 bits the way the game's tools did.
    LevelPointer movedBy(int delta) const;

    // True when the high byte is 0x80..0xBF and the offset lies at or after the data area.
    bool pointsIntoDataArea() const;

    friend bool operator==(const LevelPointer&, const LevelPointer&) = default;
};

}  // namespace morvane
