#include "patches/patch_codec.h"

#include <utility>

#include "patches/bps_patch.h"
#include "patches/ips_patch.h"

namespace morvane {

PatchResult<std::vector<std::uint8_t>> MakePatch(PatchFormat format,
                                                 std::span<const std::uint8_t> original,
                                                 std::span<const std::uint8_t> edited) {
    return format == PatchFormat::Ips ? MakeIpsPatch(original, edited)
                                      : MakeBpsPatch(original, edited);
}

PatchResult<AppliedPatch> ApplyPatch(std::span<const std::uint8_t> patch,
                                     std::span<const std::uint8_t> source) {
    const auto format = DetectPatchFormat(patch);
    if (!format) {
        return PatchError::NotAPatch;
    }
    if (*format == PatchFormat::Ips) {
        return ApplyIpsPatch(patch, source);
    }
    auto result = ApplyBpsPatch(patch, source);
    if (!result.ok()) {
        return result.failure();
    }
    return AppliedPatch{std::move(result.value()), std::nullopt};
}

PatchResult<PatchInfo> ReadPatchInfo(std::span<const std::uint8_t> patch) {
    const auto format = DetectPatchFormat(patch);
    if (!format) {
        return PatchError::NotAPatch;
    }
    return *format == PatchFormat::Ips ? ReadIpsInfo(patch) : ReadBpsInfo(patch);
}

}  // namespace morvane
