#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "patches/patch_failure.h"
#include "patches/patch_info.h"

namespace morvane {

// The largest source or result a BPS patch may describe here: 64 MiB, far above any cartridge
// of the handheld. Applying refuses a patch that records a larger result before building
// anything, so an untrusted size field never decides an allocation alone; the result then
// grows only as the patch's actions write it.
inline constexpr std::uint64_t kBpsMaxFileSize = std::uint64_t(1) << 26;

// Makes a BPS patch that turns original into edited. Unchanged positions become SourceRead
// actions, data found elsewhere in the original SourceCopy actions (so a level that grows and
// moves every later level costs a few bytes, not the moved data), repeats within edited
// TargetCopy actions, and the rest TargetRead actions. No metadata is written. Refuses with
// FileTooLarge when either file exceeds kBpsMaxFileSize. The caller owns both spans and the
// returned bytes.
PatchResult<std::vector<std::uint8_t>> MakeBpsPatch(std::span<const std::uint8_t> original,
                                                    std::span<const std::uint8_t> edited);

// Applies a BPS patch to source and returns the result. Checks, in this order, the patch's own
// CRC-32 (PatchChecksum), that source has the recorded size (SourceSize) and CRC-32
// (SourceChecksum), and the recorded result size against kBpsMaxFileSize (TargetTooLarge);
// then runs the actions, refusing any that read outside the source (ReadOutsideSource) or the
// result written so far (ReadOutsideTarget), read past the actions' end (PatchEndsEarly) or
// write more or fewer bytes than recorded (TargetSize); last it checks the result's CRC-32
// (TargetChecksum). A refused patch returns no partial result.
PatchResult<std::vector<std::uint8_t>> ApplyBpsPatch(std::span<const std::uint8_t> patch,
                                                     std::span<const std::uint8_t> source);

// Reads a BPS patch's recorded sizes and CRC-32s and whether its own CRC-32 matches, without
// running its actions. Refuses bytes that are not a BPS patch (NotAPatch) or that end before
// the header and checksums are complete (PatchEndsEarly, NumberTooLarge).
PatchResult<PatchInfo> ReadBpsInfo(std::span<const std::uint8_t> patch);

}  // namespace morvane
