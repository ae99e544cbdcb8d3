#include "sources/source_descriptor.h"

#include <gtest/gtest.h>

#include "sources/source_selection.h"

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
    // The editor reads the kind and layout back from the texts the dialog hands over.
    for (const auto& row : rows) {
        const SourceDescriptor descriptor = DescriptorFor(row.kind);
        const SourceSelection selection{
            "", "", "", descriptor.tag(), std::string(descriptor.dataOffset), "", ""};
        EXPECT_EQ(selection.kind(), row.kind) << descriptor.tag();
        ASSERT_TRUE(selection.layout()) << descriptor.tag();
        EXPECT_EQ(std::pair(selection.layout()->dataOffset, selection.layout()->hasBank),
                  std::pair(row.offset, row.hasBank));
    }
    EXPECT_EQ(DescriptorFor(SourceKind::Unknown).tag(), "5");
    EXPECT_FALSE(LayoutFor(SourceKind::Unknown, "0"));
    for (const char* tag : {"", "3x", " 3", "6", "-1"}) {
        const SourceSelection selection{"", "", "", tag, "0", "", ""};
        EXPECT_FALSE(selection.kind()) << tag;
    }
    EXPECT_EQ(LayoutFor(SourceKind::UncompressedMap, "")->dataOffset, 0);
    EXPECT_EQ(LayoutFor(SourceKind::ExtractedMapData, "4096")->dataOffset, 4096);
    EXPECT_FALSE(LayoutFor(SourceKind::UeRom, "98304x"));
    EXPECT_FALSE(LayoutFor(SourceKind::UeRom, "-5"));
}

}  // namespace
}  // namespace morvane
