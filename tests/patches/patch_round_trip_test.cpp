// Patches made by the encoders and applied by the decoders: the result must be the edited file
// byte for byte, and what the decoders refuse.
#include <gtest/gtest.h>

#include "demo_levels.h"
#include "patches/patch_codec.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBankStart = 98304;
constexpr std::size_t kBankSize = 16384;
constexpr PatchFormat kFormats[] = {PatchFormat::Ips, PatchFormat::Bps};

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
    bytes.at(at) = value;
    return bytes;
}

Bytes Resized(Bytes bytes, std::size_t length, std::uint8_t fill = 0) {
    bytes.resize(length, fill);
    return bytes;
}

Bytes Made(PatchFormat format, const Bytes& original, const Bytes& edited) {
    auto patch = MakePatch(format, original, edited);
    EXPECT_TRUE(patch.ok()) << DescribePatchFailure(patch.failure());
    return patch.ok() ? patch.value() : Bytes();
}

TEST(PatchRoundTrip, ApplyingAMadePatchGivesTheEditedFile) {
    const Bytes text = Noise(3000, 1);
    const Bytes cartridge = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    const struct {
        const char* name;
        Bytes original;
        Bytes edited;
    } cases[] = {
        {"grows", text, Resized(text, 3500, 0x33)},
        {"grows by zeros", text, Resized(text, 3100)},
        {"shrinks", text, Resized(text, 2000)},
        {"equal", text, text},
        {"both empty", {}, {}},
        {"from empty", {}, text},
        {"to empty", text, {}},
        {"first byte", text, With(text, 0, text[0] ^ 1)},
        {"last byte", text, With(text, text.size() - 1, text.back() ^ 0x80)},
        {"long run and long change", text,
         [&] {
             Bytes edited = Noise(140000, 9);
             std::fill(edited.begin() + 100, edited.begin() + 70000, 0xEE);
             return edited;
         }()},
        {"shifted bank", cartridge, ShiftedBank(cartridge)},
    };
    for (const auto& c : cases) {
        for (const PatchFormat format : kFormats) {
            SCOPED_TRACE(std::string(c.name) + " " + std::string(PatchFormatName(format)));
            const Bytes patch = Made(format, c.original, c.edited);
            EXPECT_EQ(DetectPatchFormat(patch), format);
            const auto result = ApplyPatch(patch, c.original);
            ASSERT_TRUE(result.ok()) << DescribePatchFailure(result.failure());
            EXPECT_EQ(result.value(), c.edited);
        }
    }
}

TEST(PatchRoundTrip, BpsCoversMovedAndRepeatedDataWithCopies) {
    const Bytes cartridge = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    const Bytes block = Noise(1000, 3);
    Bytes repeated;
    for (int copy = 0; copy < 10; ++copy) {
        repeated.insert(repeated.end(), block.begin(), block.end());
    }
    const struct {
        const char* name;
        Bytes original;
        Bytes edited;
        std::size_t maxPatchSize;
    } cases[] = {
        // 220 new bytes, the rest from the cartridge.
        {"shifted bank", cartridge, ShiftedBank(cartridge), 1023},
        // One block sent, nine copied from the result.
        {"repeated block", {}, repeated, 1100},
        // The two halves swapped.
        {"swapped halves", block,
         [&] {
             Bytes swapped(block.begin() + 500, block.end());
             swapped.insert(swapped.end(), block.begin(), block.begin() + 500);
             return swapped;
         }(),
         40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_LE(Made(PatchFormat::Bps, c.original, c.edited).size(), c.maxPatchSize);
    }
}

TEST(PatchRoundTrip, BpsRefusesTheWrongSourceAndDamagedPatches) {
    const Bytes cartridge = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    const Bytes patch = Made(PatchFormat::Bps, cartridge, ShiftedBank(cartridge));
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

TEST(PatchRoundTrip, IpsRefusesPatchesCutShort) {
    const Bytes text = Noise(3000, 1);
    const Bytes patch = Made(PatchFormat::Ips, text, With(text, 1000, 0));
    ASSERT_EQ(patch.size(), 5u + 6u + 3u);
    for (const std::size_t length : {4u, 7u, 10u, 12u}) {
        const auto result = ApplyPatch(Resized(patch, length), text);
        ASSERT_FALSE(result.ok()) << length;
        EXPECT_EQ(result.failure().error,
                  length == 4 ? PatchError::NotAPatch : PatchError::PatchEndsEarly);
    }
}

// An edit at offset 0x454F46, which would read as "EOF", starts its record a byte earlier.
TEST(PatchRoundTrip, IpsNeverStartsARecordAtTheOffsetThatReadsAsEof) {
    const Bytes eof = {'E', 'O', 'F'};
    const Bytes original = Noise(0x454F46 + 100, 5);
    Bytes run = original;
    std::fill_n(run.begin() + 0x454F46, 40, 0xAB);
    for (const Bytes& edited : {With(original, 0x454F46, original[0x454F46] ^ 1), run}) {
        const Bytes patch = Made(PatchFormat::Ips, original, edited);
        // The first record's offset is 0x454F45 and "EOF" appears only as the end mark.
        ASSERT_GT(patch.size(), 8u);
        EXPECT_EQ(Bytes(patch.begin() + 5, patch.begin() + 8), (Bytes{'E', 'O', 'E'}));
        EXPECT_EQ(std::search(patch.begin(), patch.end(), eof.begin(), eof.end()),
                  patch.end() - 3);
        const auto result = ApplyPatch(patch, original);
        ASSERT_TRUE(result.ok());
        EXPECT_TRUE(result.value() == edited);
    }
}

TEST(PatchRoundTrip, IpsRefusesFilesOver16MiB) {
    const Bytes big(16 * 1024 * 1024 + 1, 0);
    const Bytes small(100, 0);
    for (const auto& [original, edited] : {std::pair{&big, &small}, std::pair{&small, &big}}) {
        const auto patch = MakePatch(PatchFormat::Ips, *original, *edited);
        ASSERT_FALSE(patch.ok());
        EXPECT_EQ(DescribePatchFailure(patch.failure()), "An IPS file cannot exceed 16 MiB.");
    }
}

}  // namespace
}  // namespace morvane
