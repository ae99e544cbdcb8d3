#include "sources/source_descriptor.h"

#include <gtest/gtest.h>

#include "sources/source_selection.h"

namespace morvane {
namespace {

// The tag goes to the editor as text and comes back as a kind; the offset text becomes the
// layout the editor reads at. (Each kind's texts are checked where the dialog shows them, its
// layout where the editor or the tool reads that kind.)
TEST(SourceDescriptor, TagAndOffsetTextGiveBackTheKindAndLayout) {
    for (int value = 0; value < kSourceKindCount; ++value) {
        const SourceDescriptor descriptor = DescriptorFor(SourceKind(value));
        const SourceSelection selection{
            "", "", "", descriptor.tag(), std::string(descriptor.dataOffset), "", ""};
        EXPECT_EQ(selection.kind(), SourceKind(value));
        EXPECT_EQ(selection.layout().has_value(), SourceKind(value) != SourceKind::Unknown);
    }
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
