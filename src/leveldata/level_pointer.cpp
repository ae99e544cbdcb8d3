#include "leveldata/level_pointer.h"

#include "leveldata/level_bank.h"

namespace morvane {

LevelPointer LevelPointer::FromOffset(std::int16_t offset) {
    // The high byte is the offset divided by 256 truncated toward zero, plus 128.
    return {std::uint8_t(offset & 0xFF), std::uint8_t((offset / 256 + 128) & 0xFF)};
}

std::int16_t LevelPointer::offset() const {
    return std::int16_t(low + (high - 128) * 256);
}

LevelPointer LevelPointer::movedBy(int delta) const {
    return FromOffset(std::int16_t(std::uint16_t(offset() + delta)));
}

bool LevelPointer::pointsIntoDataArea() const {
    return high >= 0x80 && high <= 0xBF && offset() >= LevelBank::kTableSize;
}

}  // namespace morvane
