#include "sources/source_descriptor.h"

#include <gtest/gtest.h>

#include "sources/source_selection.h"

namespace morvane {
namespace {

TEST(SourceDescriptor, FixedTextsAndLayoutsPerKind) {
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
        // The editor reads the kind and layout back from the texts the dialog hands over.
        const SourceSelection selection{"", "", "", row.tag, row.dataOffset, "", ""};
        EXPECT_EQ(selection.kind(), row.kind) << row.name;
        // A kind that opens has a layout at its offset, with a bank when it is packed.
        const auto layout = LayoutFor(row.kind, row.dataOffset);
        ASSERT_EQ(layout.has_value(), row.canOpen) << row.name;
        ASSERT_EQ(selection.layout().has_value(), row.canOpen) << row.name;
        if (layout) {
            EXPECT_EQ(selection.layout()->dataOffset, layout->dataOffset) << row.name;
            EXPECT_EQ(selection.layout()->hasBank, layout->hasBank) << row.name;
            EXPECT_EQ(layout->dataOffset, std::stoll(row.dataOffset)) << row.name;
            EXPECT_EQ(layout->hasBank, std::string(row.compressed) == "Yes") << row.name;
        }
    }
    EXPECT_FALSE(SourceKindFromValue(6));
    EXPECT_FALSE(SourceKindFromValue(-1));
    for (const char* tag : {"", "3x", " 3", "6", "-1"}) {
        const SourceSelection selection{"", "", "", tag, "0", "", ""};
        EXPECT_FALSE(selection.kind()) << tag;
    }
    EXPECT_EQ(LayoutFor(SourceKind::UncompressedMap, "")->dataOffset, 0);
    EXPECT_FALSE(LayoutFor(SourceKind::UeRom, "98304x"));
    EXPECT_FALSE(LayoutFor(SourceKind::UeRom, "-5"));
}

}  // namespace
}  // namespace morvane
