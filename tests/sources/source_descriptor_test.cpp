#include "sources/source_descriptor.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(SourceDescriptor, FixedTextsPerKind) {
    const struct {
        SourceKind kind;
        const char *name, *caption, *dataOffset, *compressed, *numMaps, *tag;
        bool canOpen;
    } rows[] = {
        {SourceKind::UeRom, "UeRom", "The UE Rom", "98304", "Yes", "99", "0", true},
        {SourceKind::JRom, "JRom", "The J Rom", "98304", "Yes", "99", "1", true},
        {SourceKind::ExtractedMapData, "ExtractedMapData", "Extracted map data", "0", "Yes", "99",
         "2", true},
        {SourceKind::MekaSavestate, "MekaSavestate", "A Meka savestate", "489", "No", "1", "3",
         true},
        {SourceKind::UncompressedMap, "UncompressedMap", "An uncompressed map", "0", "No", "1", "4",
         true},
        {SourceKind::Unknown, "Unknown", "Unknown", "", "", "", "5", false},
    };
    for (const auto& row : rows) {
        const SourceDescriptor descriptor = DescriptorFor(row.kind);
        EXPECT_EQ(SourceKindName(row.kind), row.name);
        EXPECT_EQ(SourceKindCaption(row.kind), row.caption);
        EXPECT_EQ(descriptor.dataOffset, row.dataOffset) << row.name;
        EXPECT_EQ(descriptor.compressed, row.compressed) << row.name;
        EXPECT_EQ(descriptor.numMaps, row.numMaps) << row.name;
        EXPECT_EQ(descriptor.tag(), row.tag) << row.name;
        EXPECT_EQ(descriptor.canOpen, row.canOpen) << row.name;
        EXPECT_EQ(SourceKindFromValue(std::stoi(row.tag)), row.kind);
    }
    EXPECT_FALSE(SourceKindFromValue(6));
    EXPECT_FALSE(SourceKindFromValue(-1));
}

TEST(SourceDescriptor, LayoutsComeFromTheKindAndTheOffsetText) {
    const auto cartridge = LayoutFor(SourceKind::JRom, "98304");
    ASSERT_TRUE(cartridge);
    EXPECT_EQ(cartridge->dataOffset, 98304);
    EXPECT_TRUE(cartridge->hasBank);
    EXPECT_EQ(cartridge->levelCount(), 99);

    const auto savestate = LayoutFor(SourceKind::MekaSavestate, "489");
    ASSERT_TRUE(savestate);
    EXPECT_FALSE(savestate->hasBank);
    EXPECT_EQ(savestate->levelCount(), 1);

    EXPECT_EQ(LayoutFor(SourceKind::UncompressedMap, "")->dataOffset, 0);
    EXPECT_FALSE(LayoutFor(SourceKind::Unknown, ""));
    EXPECT_FALSE(LayoutFor(SourceKind::UeRom, "98304x"));
    EXPECT_FALSE(LayoutFor(SourceKind::UeRom, "-5"));
}

}  // namespace
}  // namespace morvane
