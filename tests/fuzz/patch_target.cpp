#include <zlib.h>

#include <algorithm>
#include <vector>

#include "fuzz_targets.h"
#include "patches/patch_codec.h"

namespace morvane::fuzz {

namespace {
using Bytes = std::vector<std::uint8_t>;

// A recorded source size up to this is given to the source when the input asks for it; larger
// ones are left to fail the size check.
constexpr std::uint64_t kMaxFittedSource = 1 << 18;
// A few bytes of IPS patch can make a 16 MiB result; remaking results this large is left to
// the unit tests so that each run stays quick.
constexpr std::size_t kMaxRemadeSize = 1 << 20;

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    return std::uint32_t(crc32(0, bytes.data(), uInt(bytes.size())));
}

// Gives the source the size a BPS patch records and writes the source's CRC-32 and the patch's
// own into the patch, so mutated actions reach the decoder instead of stopping at a checksum.
void FitBpsPatch(Bytes& patch, Bytes& source) {
    const auto info = ReadPatchInfo(patch);
    if (!info.ok() || info.value().format != PatchFormat::Bps ||
        info.value().sourceSize > kMaxFittedSource) {
        return;
    }
    source.resize(std::size_t(info.value().sourceSize));
    for (const std::size_t end : {12, 4}) {  // the source's CRC-32, then the patch's own
        const auto crc =
            Crc32(end == 12 ? std::span(source) : std::span(patch).first(patch.size() - 4));
        for (std::size_t index = 0; index < 4; ++index) {
            patch[patch.size() - end + index] = std::uint8_t(crc >> (8 * index));
        }
    }
}

// A patch made of original and edited in either format must apply to original and give edited.
void CheckRoundTrip(PatchFormat format, std::span<const std::uint8_t> original,
                    std::span<const std::uint8_t> edited) {
    const auto patch = MakePatch(format, original, edited);
    if (format == PatchFormat::Ips && std::max(original.size(), edited.size()) > (1u << 24)) {
        Check(!patch.ok() && patch.failure().error == PatchError::IpsTooLarge);
        return;
    }
    Check(patch.ok() && DetectPatchFormat(patch.value()) == format);
    const auto again = ApplyPatch(patch.value(), original);
    Check(again.ok() && std::ranges::equal(again.value().result, edited));
}

}  // namespace

void FuzzPatch(std::span<const std::uint8_t> input) {
    if (input.size() < 4) {
        return;
    }
    const std::uint8_t flags = input[0];
    const std::size_t patchLength =
        std::min<std::size_t>(input[1] | input[2] << 8 | input[3] << 16, input.size() - 4);
    Bytes patch(input.begin() + 4, input.begin() + 4 + std::ptrdiff_t(patchLength));
    Bytes source(input.begin() + 4 + std::ptrdiff_t(patchLength), input.end());
    if (flags & 1) {
        FitBpsPatch(patch, source);
    }

    const auto first = ApplyPatch(patch, source);
    const auto second = ApplyPatch(patch, source);
    Check(first.ok() == second.ok());
    const auto info = ReadPatchInfo(patch);
    if (!first.ok()) {
        const PatchFailure &a = first.failure(), &b = second.failure();
        Check(a.error == b.error && a.expected == b.expected && a.actual == b.actual);
        Check(!DescribePatchFailure(a).empty());
    } else {
        const Bytes& result = first.value().result;
        const auto ignoredCut = first.value().ignoredCut;
        Check(result == second.value().result && ignoredCut == second.value().ignoredCut &&
              info.ok());
        if (info.value().format == PatchFormat::Bps) {
            Check(info.value().patchCrcMatches && result.size() == info.value().targetSize &&
                  Crc32(result) == info.value().targetCrc && !ignoredCut);
        } else if (const auto cut = info.value().truncatedSize) {
            // A cut past the result's end is reported, not carried out.
            Check(ignoredCut ? *ignoredCut == *cut && result.size() < *cut : result.size() == *cut);
        }
        if (result.size() <= kMaxRemadeSize) {
            CheckRoundTrip(info.value().format, source, result);
        }
    }
    // The encoders see the patch bytes as an edited file of the source: arbitrary data.
    if (flags & 2) {
        CheckRoundTrip(PatchFormat::Bps, source, patch);
        CheckRoundTrip(PatchFormat::Ips, source, patch);
    }
}

}  // namespace morvane::fuzz
