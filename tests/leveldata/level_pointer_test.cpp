#include "leveldata/level_pointer.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(LevelPointer, FirstEntryPointsAtTheStartOfTheDataArea) {
    const LevelPointer entry{0xC6, 0x80};
    EXPECT_EQ(entry.offset(), 198);
    EXPECT_TRUE(entry.pointsIntoDataArea());
    EXPECT_EQ(LevelPointer::FromOffset(198), entry);
}

TEST(LevelPointer, EncodesAndDecodesOffsets) {
    EXPECT_EQ(LevelPointer::FromOffset(0x1234), (LevelPointer{0x34, 0x92}));
    EXPECT_EQ((LevelPointer{0x34, 0x92}).offset(), 0x1234);
    EXPECT_EQ((LevelPointer{0xFF, 0xBF}).offset(), 16383);
}

TEST(LevelPointer, MovesByTheChangeInLength) {
    // Offset 0x01C6, new length 60, old length 57.
    EXPECT_EQ((LevelPointer{0xC6, 0x81}).movedBy(60 - 57), (LevelPointer{0xC9, 0x81}));
    // The carry reaches the high byte.
    EXPECT_EQ((LevelPointer{0xFE, 0x80}).movedBy(3), (LevelPointer{0x01, 0x81}));
    EXPECT_EQ((LevelPointer{0x01, 0x81}).movedBy(-3), (LevelPointer{0xFE, 0x80}));
}

TEST(LevelPointer, WrapsInSixteenBits) {
    // 0x7FFF + 1 wraps to -32768, whose high byte is -128 + 128 = 0.
    EXPECT_EQ((LevelPointer{0xFF, 0xFF}).offset(), 0x7FFF);
    EXPECT_EQ((LevelPointer{0xFF, 0xFF}).movedBy(1), (LevelPointer{0x00, 0x00}));
}

TEST(LevelPointer, OnlyDataAreaAddressesAreValid) {
    EXPECT_FALSE((LevelPointer{0xC5, 0x80}).pointsIntoDataArea());  // offset 197: the table
    EXPECT_FALSE((LevelPointer{0x00, 0x7F}).pointsIntoDataArea());  // before the bank
    EXPECT_FALSE((LevelPointer{0x00, 0xC0}).pointsIntoDataArea());  // after the bank
    EXPECT_TRUE((LevelPointer{0xFF, 0xBF}).pointsIntoDataArea());
}

}  // namespace
}  // namespace morvane
