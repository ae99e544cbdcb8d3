#include "sources/source_descriptor.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

// The tag goes to the editor as text and comes back as a kind; the offset text becomes the
// layout the editor reads at.
TEST(SourceDescriptor, TagAndOffsetTextGiveBackTheKindAndLayout) {
    const struct {
        SourceKind kind;
        std::int64_t offset;
        bool hasBank;
    } rows[] = {{SourceKind::UeRom, 98304, true},
                {SourceKind::JRom, 98304, true},
                {SourceKind::ExtractedMapData, 0, true},
                {SourceKind::MekaSavestate, 489, false},
                {SourceKind::UncompressedMap, 0, false}};
    for (const auto& row : rows) {
        const SourceDescriptor descriptor = DescriptorFor(row.kind);
        EXPECT_EQ(SourceKindFromValue(std::stoi(descriptor.tag())), row.kind);
        const auto layout = LayoutFor(row.kind, descriptor.dataOffset);
        ASSERT_TRUE(layout) << descriptor.tag();
        EXPECT_EQ(layout->dataOffset, row.offset) << descriptor.tag();
        EXPECT_EQ(layout->hasBank, row.hasBank) << descriptor.tag();
    }
    EXPECT_EQ(DescriptorFor(SourceKind::Unknown).tag(), "5");
    EXPECT_FALSE(LayoutFor(SourceKind::Unknown, "0"));
    EXPECT_FALSE(SourceKindFromValue(6));
    EXPECT_FALSE(SourceKindFromValue(-1));
    EXPECT_EQ(LayoutFor(SourceKind::UncompressedMap, "")->dataOffset, 0);
    EXPECT_EQ(LayoutFor(SourceKind::ExtractedMapData, "4096")->dataOffset, 4096);
    EXPECT_FALSE(LayoutFor(SourceKind::UeRom, "98304x"));
    EXPECT_FALSE(LayoutFor(SourceKind::UeRom, "-5"));
}

}  // namespace
}  // namespace morvane
