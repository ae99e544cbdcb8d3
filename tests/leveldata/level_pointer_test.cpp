#include "leveldata/level_pointer.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(LevelPointer, EncodesDecodesTellsDataAreaAddressesAndMoves) {
    const struct {
        LevelPointer entry;
        int offset;
        bool inDataArea;
    } rows[] = {
        {{0xC6, 0x80}, 198, true},  // the first entry: the start of the data area
        {{0x34, 0x92}, 0x1234, true},  {{0xFF, 0xBF}, 16383, true},  // the bank's last byte
        {{0xC5, 0x80}, 197, false},                                  // the table
        {{0x00, 0x7F}, -256, false},                                 // before the bank
        {{0x00, 0xC0}, 16384, false},                                // after the bank
        {{0xFF, 0xFF}, 0x7FFF, false},                               // the largest offset
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.entry.offset(), row.offset);
        EXPECT_EQ(row.entry.pointsIntoDataArea(), row.inDataArea) << row.offset;
        if (row.inDataArea) {
            EXPECT_EQ(LevelPointer::FromOffset(row.offset), row.entry);
        }
    }
    // Moved by the change in length, wrapping in sixteen bits. Offset 0x01C6, new length 60, old
    // length 57.
    EXPECT_EQ((LevelPointer{0xC6, 0x81}).movedBy(60 - 57), (LevelPointer{0xC9, 0x81}));
    // The carry reaches the high byte.
    EXPECT_EQ((LevelPointer{0xFE, 0x80}).movedBy(3), (LevelPointer{0x01, 0x81}));
    EXPECT_EQ((LevelPointer{0x01, 0x81}).movedBy(-3), (LevelPointer{0xFE, 0x80}));
    // Before the bank the high byte is the offset divided by 256 truncated toward zero, plus
    // 128: -259 gives -1 + 128, not -2 + 128 as a shift would.
    EXPECT_EQ((LevelPointer{0x00, 0x7F}).movedBy(-3), (LevelPointer{0xFD, 0x7F}));
    // 0x7FFF + 1 wraps to -32768, whose high byte is -128 + 128 = 0.
    EXPECT_EQ((LevelPointer{0xFF, 0xFF}).movedBy(1), (LevelPointer{0x00, 0x00}));
}

}  // namespace
}  // namespace morvane
