// Patches written out byte by byte here, so the decoders are checked against the formats and
// not against this library's own encoders.
#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>
#include <string>
#include <tuple>

#include "patches/patch_codec.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes Crc(const Bytes& bytes) {
    const auto crc = std::uint32_t(crc32(0, bytes.data(), uInt(bytes.size())));
    return {std::uint8_t(crc), std::uint8_t(crc >> 8), std::uint8_t(crc >> 16),
            std::uint8_t(crc >> 24)};
}

// "BPS1", the header and actions given, then the CRC-32s of source, target and the patch.
Bytes Bps(const Bytes& headerAndActions, const Bytes& source, const Bytes& target) {
    Bytes patch = Concat({Text("BPS1"), headerAndActions, Crc(source), Crc(target)});
    return Concat({patch, Crc(patch)});
}

const Bytes kSource = Text("ABCDEFGH");
const Bytes kTarget = Text("ABxyzFGHxyzFABBBB");
const Bytes kMetadata(130, 'm');
// Every number below is one byte with the top bit set, except the metadata length: 130 is
// stored as 0x02 (2, more follows) and 0x80 (0 more, after the implied 128).
const Bytes kHeader = Concat({{0x88, 0x91, 0x02, 0x80}, kMetadata});
const Bytes kActions = {
    0x84,                  // SourceRead 2: "AB"
    0x89, 'x',  'y', 'z',  // TargetRead 3
    0x8A, 0x8A,            // SourceCopy 3 from source +5: "FGH"
    0x8F, 0x84,            // TargetCopy 4 from target +2: "xyzF"
    0x86, 0x91,            // SourceCopy 2 from source 8 - 8: "AB"
    0x8B, 0x8E,            // TargetCopy 3 from target 6 + 7, running into itself: "BBB"
};

TEST(ApplyBpsPatch, RunsEachActionAsTheFormatDefinesIt) {
    const Bytes patch = Bps(Concat({kHeader, kActions}), kSource, kTarget);
    const auto result = ApplyPatch(patch, kSource);
    ASSERT_TRUE(result.ok()) << DescribePatchFailure(result.failure());
    EXPECT_EQ(result.value().result, kTarget);

    const auto read = ReadPatchInfo(patch);
    ASSERT_TRUE(read.ok());
    const PatchInfo& info = read.value();
    EXPECT_EQ(info.format, PatchFormat::Bps);
    EXPECT_EQ(std::tuple(info.patchSize, info.sourceSize, info.targetSize),
              std::tuple(std::uint64_t(patch.size()), std::uint64_t{8}, std::uint64_t{17}));
    const auto crc = [](const Bytes& bytes, std::size_t cut) {
        return std::uint32_t(crc32(0, bytes.data(), uInt(bytes.size() - cut)));
    };
    EXPECT_EQ(std::tuple(info.sourceCrc, info.targetCrc, info.patchCrc, info.patchCrcMatches),
              std::tuple(crc(kSource, 0), crc(kTarget, 0), crc(patch, 4), true));
}

TEST(ApplyBpsPatch, RefusesHeadersAndActionsThatLeaveTheirBounds) {
    // Each case changes the header or one byte of the actions and gives the patch correct
    // CRC-32s, so only the bounds checks stand in the way; the last records the CRC-32 of
    // another result under a correct patch CRC-32.
    const auto action = [](std::size_t at, std::uint8_t value) {
        Bytes actions = kActions;
        actions[at] = value;
        return Concat({kHeader, actions});
    };
    const struct {
        const char* name;
        Bytes headerAndActions;
        PatchError error;
        Bytes recordedTarget = kTarget;
        std::string words = "";  // when given, the failure's exact words
    } cases[] = {
        {"source copy before the start", action(10, 0x93), PatchError::ReadOutsideSource},
        {"source copy past the end", action(6, 0x8C), PatchError::ReadOutsideSource},
        {"target copy of unwritten bytes", action(8, 0x90), PatchError::ReadOutsideTarget},
        {"target copy before the start", action(8, 0x85), PatchError::ReadOutsideTarget},
        {"source read past the source", action(0, 0xA4), PatchError::ReadOutsideSource},
        {"target read past the actions", action(1, 0xAD), PatchError::PatchEndsEarly},
        {"writes more than recorded", action(11, 0x9F), PatchError::TargetSize},
        {"writes less than recorded", action(11, 0x87), PatchError::TargetSize},
        {"number without an end", action(12, 0x0E), PatchError::PatchEndsEarly},
        {"target of 64 MiB", Concat({{0x88, 0x00, 0x7F, 0x7E, 0x9E, 0x80}, kActions}),
         PatchError::TargetSize, kTarget,
         "The patch's actions do not make a result of the recorded size: the patch expects "
         "67108864 bytes, its actions make 17."},
        {"target of 64 MiB and 1", Concat({{0x88, 0x01, 0x7F, 0x7E, 0x9E, 0x80}, kActions}),
         PatchError::TargetTooLarge, kTarget,
         "The patch's result would be 67108865 bytes, more than the limit of 67108864 bytes."},
        {"target of nine bytes", Concat({{0x88}, Bytes(8, 0x00), {0x80, 0x80}, kActions}),
         PatchError::TargetTooLarge},
        {"number of ten bytes", Concat({{0x88}, Bytes(9, 0x00), {0x81, 0x80}, kActions}),
         PatchError::NumberTooLarge},
        {"metadata past the end", Concat({{0x88, 0x91, 0xFF}, kActions}),
         PatchError::PatchEndsEarly},
        {"result CRC-32 of another result", Concat({kHeader, kActions}), PatchError::TargetChecksum,
         Text("ABxyzFGHxyzFABBBC")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = ApplyPatch(Bps(c.headerAndActions, kSource, c.recordedTarget), kSource);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.failure().error, c.error) << DescribePatchFailure(result.failure());
        EXPECT_TRUE(c.words.empty() || DescribePatchFailure(result.failure()) == c.words)
            << DescribePatchFailure(result.failure());
    }
    EXPECT_EQ(DescribePatchFailure({PatchError::SourceSize, 1, 2}),
              "The source file has the wrong size: the patch expects 1 byte, this file has 2.");
}

TEST(ApplyIpsPatch, WritesRecordsRunsAndTheTruncationLength) {
    const Bytes records = Concat({Text("PATCH"),
                                  {0x00, 0x00, 0x02, 0x00, 0x03, 'a', 'b', 'c'},    // 3 bytes at 2
                                  {0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x04, 'z'},  // 4 z at 8
                                  Text("EOF")});
    const Bytes patch = Concat({records, {0x00, 0x00, 0x0A}});  // cut to 10 bytes
    const struct {
        const char* name;
        Bytes patch;
        Bytes source;
        Bytes result;
        std::optional<std::string> warning;
    } cases[] = {
        {"cut", patch, Text("0123456789"), Text("01abc567zz"), std::nullopt},
        {"grown", records, Text("0123"), Concat({Text("01abc"), {0, 0, 0}, Text("zzzz")}),
         std::nullopt},
        {"cut to its length", Concat({records, {0x00, 0x00, 0x0C}}), Text("0123"),
         Concat({Text("01abc"), {0, 0, 0}, Text("zzzz")}), std::nullopt},
        // Common tools leave the size alone rather than growing the file to the cut length.
        {"cut past the end", Concat({records, {0x01, 0x00, 0x00}}), Text("0123"),
         Concat({Text("01abc"), {0, 0, 0}, Text("zzzz")}),
         "The patch cuts the result to 65536 bytes, past its end at 12 bytes; the size was left "
         "as it is."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto applied = ApplyPatch(c.patch, c.source);
        ASSERT_TRUE(applied.ok()) << DescribePatchFailure(applied.failure());
        EXPECT_EQ(applied.value().result, c.result);
        EXPECT_EQ(DescribeIgnoredCut(applied.value()), c.warning);
    }

    const auto read = ReadPatchInfo(patch);
    ASSERT_TRUE(read.ok());
    const PatchInfo& info = read.value();
    EXPECT_EQ(info.format, PatchFormat::Ips);
    EXPECT_EQ(std::tuple(info.patchSize, info.recordCount, info.truncatedSize),
              std::tuple(std::uint64_t(patch.size()), std::uint64_t{2}, std::optional(10u)));
    EXPECT_EQ(ReadPatchInfo(Concat({Text("PATCH"), Text("EOF"), {1}})).failure().error,
              PatchError::TrailingBytes);
}

TEST(DetectPatchFormat, TellsTheFormatBySignatureAndName) {
    EXPECT_EQ(DetectPatchFormat(Text("UPS1")), std::nullopt);
    EXPECT_EQ(ApplyPatch(Text("PATCH"), {}).failure().error, PatchError::PatchEndsEarly);
    EXPECT_EQ(ReadPatchInfo(Text("BPS1")).failure().error, PatchError::PatchEndsEarly);
    EXPECT_EQ(PatchFormatFromFileName(".BPS"), PatchFormat::Bps);
    EXPECT_EQ(PatchFormatFromFileName("hack.IPS"), PatchFormat::Ips);
    EXPECT_EQ(PatchFormatFromFileName("dir.ips/hack.bps"), PatchFormat::Bps);
    EXPECT_EQ(PatchFormatFromFileName("hack.ups"), std::nullopt);
    EXPECT_EQ(ReadPatchInfo(Text("nothing")).failure().error, PatchError::NotAPatch);
}

}  // namespace
}  // namespace morvane
