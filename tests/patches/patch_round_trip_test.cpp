// Patches made by the encoders and applied by the decoders: the result must be the edited file
// byte for byte, and what the decoders refuse.
#include <gtest/gtest.h>

#include "demo_levels.h"
#include "patches/match_index.h"
#include "patches/patch_codec.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBankStart = 98304;
constexpr std::size_t kBankSize = 16384;

// Bytes no patch can compress by accident: a multiplicative sequence.
Bytes Noise(std::size_t length, std::uint32_t seed) {
    Bytes bytes(length);
    for (auto& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = std::uint8_t(seed >> 16);
    }
    return bytes;
}

// The cartridge after a save that lengthened a 200-byte level in the middle of the bank by 20
// bytes: every later byte of the bank moves 20 on and the bank's last 20 bytes drop off.
Bytes ShiftedBank(const Bytes& cartridge) {
    Bytes edited = cartridge;
    const std::size_t regionStart = kBankStart + 8000;
    const Bytes region = Noise(220, 7);
    std::copy(cartridge.begin() + regionStart + 200,
              cartridge.begin() + kBankStart + kBankSize - 20, edited.begin() + regionStart + 220);
    std::copy(region.begin(), region.end(), edited.begin() + regionStart);
    return edited;
}

Bytes With(Bytes bytes, std::size_t at, std::uint8_t value) {
    return bytes.at(at) = value, bytes;
}

Bytes Resized(Bytes bytes, std::size_t length, std::uint8_t fill = 0) {
    return bytes.resize(length, fill), bytes;
}

Bytes Made(PatchFormat format, const Bytes& original, const Bytes& edited) {
    auto patch = MakePatch(format, original, edited);
    EXPECT_TRUE(patch.ok()) << DescribePatchFailure(patch.failure());
    return patch.ok() ? patch.value() : Bytes();
}

TEST(PatchRoundTrip, ApplyingAMadePatchGivesTheEditedFile) {
    const Bytes text = Noise(3000, 1);
    const Bytes cartridge = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    Bytes longChange = Noise(140000, 9);
    std::fill(longChange.begin() + 100, longChange.begin() + 70000, 0xEE);
    const Bytes block = Noise(1000, 3);
    Bytes repeated, swapped(block.begin() + 500, block.end());
    swapped.insert(swapped.end(), block.begin(), block.begin() + 500);
    for (int copy = 0; copy < 10; ++copy) {
        repeated.insert(repeated.end(), block.begin(), block.end());
    }
    const struct {
        const char* name;
        Bytes original;
        Bytes edited;
        std::size_t bpsLimit = 0;  // when set, moved and repeated data must become copies
    } cases[] = {
        // (The fuzz replay's seeds round-trip a file grown, shortened, kept and edited at its
        // first byte.)
        {"grows by zeros", text, Resized(text, 3100)},
        {"both empty", {}, {}},
        {"from empty", {}, text},
        {"to empty", text, {}},
        {"last byte", text, With(text, text.size() - 1, text.back() ^ 0x80)},
        {"long run and long change", text, longChange},
        // 220 new bytes, the rest from the cartridge.
        {"shifted bank", cartridge, ShiftedBank(cartridge), 1023},
        // One block sent, nine copied from the result.
        {"repeated block", {}, repeated, 1100},
        {"swapped halves", block, swapped, 40},
    };
    for (const auto& c : cases) {
        for (const PatchFormat format : {PatchFormat::Ips, PatchFormat::Bps}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::string(PatchFormatName(format)));
            const Bytes patch = Made(format, c.original, c.edited);
            EXPECT_EQ(DetectPatchFormat(patch), format);
            if (format == PatchFormat::Bps && c.bpsLimit) {
                EXPECT_LE(patch.size(), c.bpsLimit);
            }
            const auto result = ApplyPatch(patch, c.original);
            ASSERT_TRUE(result.ok()) << DescribePatchFailure(result.failure());
            EXPECT_EQ(result.value().result, c.edited);
        }
    }
}

// The encoder's search looks at the newest candidates only, as many as it asks for.
TEST(MatchIndex, VisitsAtMostTheLimitNewestFirst) {
    const Bytes bytes(12, 0xAB);
    MatchIndex index(bytes);
    for (std::size_t at = 0; at + MatchIndex::kKeyLength <= bytes.size(); ++at) {
        index.add(at);
    }
    std::vector<std::size_t> visited;
    index.visitCandidates(bytes.data(), 3, [&](std::size_t at) { visited.push_back(at); });
    EXPECT_EQ(visited, (std::vector<std::size_t>{8, 7, 6}));
}

TEST(PatchRoundTrip, RefusesTheWrongSourceAndDamagedPatches) {
    const Bytes cartridge = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    const Bytes patch = Made(PatchFormat::Bps, cartridge, ShiftedBank(cartridge));
    // One record of one byte: signature 5, offset 3, length 2, the byte, "EOF".
    const Bytes ips = Made(PatchFormat::Ips, cartridge, With(cartridge, 1000, cartridge[1000] ^ 1));
    ASSERT_EQ(ips.size(), 14u);
    const struct {
        const char* name;
        Bytes patch;
        Bytes source;
        PatchError error;
    } cases[] = {
        {"other bytes", patch, With(cartridge, 5, cartridge[5] ^ 1), PatchError::SourceChecksum},
        {"bank only", patch, demo::MakeDemoBank(), PatchError::SourceSize},
        {"flipped byte", With(patch, patch.size() / 2, patch[patch.size() / 2] ^ 4), cartridge,
         PatchError::PatchChecksum},
        {"cut short", Resized(patch, patch.size() - 1), cartridge, PatchError::PatchChecksum},
        {"cut to its header", Resized(patch, 16), cartridge, PatchError::PatchEndsEarly},
        {"no patch", cartridge, cartridge, PatchError::NotAPatch},
        {"IPS cut in its signature", Resized(ips, 4), cartridge, PatchError::NotAPatch},
        {"IPS cut in an offset", Resized(ips, 7), cartridge, PatchError::PatchEndsEarly},
        {"IPS cut before the data", Resized(ips, 10), cartridge, PatchError::PatchEndsEarly},
        {"IPS cut in its end mark", Resized(ips, 12), cartridge, PatchError::PatchEndsEarly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = ApplyPatch(c.patch, c.source);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.failure().error, c.error) << DescribePatchFailure(result.failure());
    }
    EXPECT_EQ(DescribePatchFailure(ApplyPatch(patch, demo::MakeDemoBank()).failure()),
              "The source file has the wrong size: the patch expects 131072 bytes, this file has "
              "16384.");
}

// An edit at offset 0x454F46, which would read as "EOF", starts its record a byte earlier;
// so does the part of a long run that a record split would start there.
TEST(PatchRoundTrip, IpsNeverStartsARecordAtTheOffsetThatReadsAsEof) {
    constexpr std::size_t kEof = 0x454F46;
    const Bytes eof = {'E', 'O', 'F'};
    const Bytes original = Noise(kEof + 100, 5);
    const auto runOfAB = [&](std::size_t begin, std::size_t end) {
        Bytes edited = original;
        return std::fill(edited.begin() + begin, edited.begin() + end, 0xAB), edited;
    };
    const struct {
        const char* name;
        Bytes edited;
        Bytes firstOffset;
    } cases[] = {
        {"one byte", With(original, kEof, original[kEof] ^ 1), {0x45, 0x4F, 0x45}},
        {"run", runOfAB(kEof, kEof + 40), {0x45, 0x4F, 0x45}},
        {"run split there", runOfAB(kEof - 0xFFFF, kEof + 40), {0x44, 0x4F, 0x47}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes patch = Made(PatchFormat::Ips, original, c.edited);
        // "EOF" appears only as the end mark.
        ASSERT_GT(patch.size(), 8u);
        EXPECT_EQ(Bytes(patch.begin() + 5, patch.begin() + 8), c.firstOffset);
        EXPECT_EQ(std::search(patch.begin(), patch.end(), eof.begin(), eof.end()), patch.end() - 3);
        const auto result = ApplyPatch(patch, original);
        EXPECT_TRUE(result.ok() && result.value().result == c.edited);
    }
}

// Changes up to 5 equal bytes apart share a record, and 14 equal bytes make a run record.
TEST(PatchRoundTrip, IpsJoinsNearChangesAndSendsRunsOfFourteen) {
    const Bytes text = Noise(100, 1);
    const auto changed = [&](std::size_t first, std::size_t last, std::size_t count) {
        Bytes edited = With(text, last, text[last] ^ 1);
        return std::fill_n(edited.begin() + long(first), count, 0xAB), edited;
    };
    const struct {
        Bytes edited;
        std::uint64_t records, size;
    } cases[] = {
        {changed(10, 16, 1), 1, 5 + 5 + 7 + 3},        // 5 equal bytes between
        {changed(10, 17, 1), 2, 5 + 6 + 6 + 3},        // 6
        {changed(10, 40, 14), 2, 5 + 8 + 6 + 3},       // a run of 14
        {changed(10, 40, 13), 2, 5 + 5 + 13 + 6 + 3},  // 13 sent as they are
    };
    for (const auto& c : cases) {
        const Bytes patch = Made(PatchFormat::Ips, text, c.edited);
        const auto info = ReadPatchInfo(patch);
        ASSERT_TRUE(info.ok());
        EXPECT_EQ(std::pair(info.value().recordCount, info.value().patchSize),
                  std::pair(c.records, c.size));
        EXPECT_EQ(ApplyPatch(patch, text).value().result, c.edited);
    }
}

TEST(PatchRoundTrip, IpsRefusesFilesOver16MiB) {
    const Bytes big(16 * 1024 * 1024 + 1, 0);
    const Bytes small(100, 0);
    EXPECT_TRUE(MakePatch(PatchFormat::Ips, Resized(big, big.size() - 1), small).ok());
    for (const auto& [original, edited] : {std::pair{&big, &small}, std::pair{&small, &big}}) {
        const auto patch = MakePatch(PatchFormat::Ips, *original, *edited);
        ASSERT_FALSE(patch.ok());
        EXPECT_EQ(DescribePatchFailure(patch.failure()), "An IPS file cannot exceed 16 MiB.");
    }
}

}  // namespace
}  // namespace morvane
