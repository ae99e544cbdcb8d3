#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "patches/patch_failure.h"
#include "patches/patch_info.h"

namespace morvane {

// IPS files address bytes with 3-byte offsets, so neither file may be longer than 16 MiB.
inline constexpr std::size_t kIpsMaxFileSize = std::size_t(1) << 24;

// Makes an IPS patch that turns original into edited: one record per range of differing bytes
// (long runs of one value as run-length records, records split at 65535 bytes, none starting
// at offset 0x454F46, which would read as "EOF"), and a truncation length after "EOF" when
// edited is shorter. Refuses with IpsTooLarge when either file exceeds kIpsMaxFileSize. The
// caller owns both spans and the returned bytes.
PatchResult<std::vector<std::uint8_t>> MakeIpsPatch(std::span<const std::uint8_t> original,
                                                    std::span<const std::uint8_t> edited);

// Applies an IPS patch to a copy of source and returns the result: records past the end of the
// source extend it, with zeros in any gap, and a truncation length after "EOF" cuts the result
// to that length. A truncation length past the result's end leaves its length as it is and is
// returned as AppliedPatch::ignoredCut. Refuses, without partial results, a patch that does not
// start with "PATCH" (NotAPatch), ends inside a record or before "EOF" (PatchEndsEarly), or has
// bytes after "EOF" other than a 3-byte length (TrailingBytes). IPS carries no checksums, so a
// patch for another file applies without complaint.
PatchResult<AppliedPatch> ApplyIpsPatch(std::span<const std::uint8_t> patch,
                                        std::span<const std::uint8_t> source);

// Reads an IPS patch's record count and truncation length, with the same refusals as
// ApplyIpsPatch.
PatchResult<PatchInfo> ReadIpsInfo(std::span<const std::uint8_t> patch);

}  // namespace morvane
