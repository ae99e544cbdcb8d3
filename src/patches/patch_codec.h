#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "patches/patch_failure.h"
#include "patches/patch_format.h"
#include "patches/patch_info.h"

// The entry points for `patch make`, `patch apply` and `patch info`. Everything works on bytes
// the caller has read and owns; nothing here touches a file, and the caller writes a returned
// result only when it is ok(). Failures are worded by DescribePatchFailure.
namespace morvane {

// Makes a patch of the given format that turns original into edited; see MakeIpsPatch and
// MakeBpsPatch for what each refuses.
PatchResult<std::vector<std::uint8_t>> MakePatch(PatchFormat format,
                                                 std::span<const std::uint8_t> original,
                                                 std::span<const std::uint8_t> edited);

// Applies a patch of either format, told by its first bytes, to source and returns the
// result with what of the patch was left undone. Refuses bytes of no known format with NotAPatch;
// see ApplyIpsPatch and ApplyBpsPatch for the other refusals.
PatchResult<AppliedPatch> ApplyPatch(std::span<const std::uint8_t> patch,
                                     std::span<const std::uint8_t> source);

// Reads what `patch info` shows of a patch of either format.
PatchResult<PatchInfo> ReadPatchInfo(std::span<const std::uint8_t> patch);

}  // namespace morvane
