#include "patches/patch_codec.h"

#include "patches/bps_patch.h"
#include "patches/ips_patch.h"

namespace morvane {

PatchResult<std::vector<std::uint8_t>> MakePatch(PatchFormat format,
                                                 std::span<const std::uint8_t> original,
                                                 std::span<const std::uint8_t> edited) {
    return format == PatchFormat::Ips ? MakeIpsPatch(original, edited)
                                      : MakeBpsPatch(original, edited);
}

PatchResult<std::vector<std::uint8_t>> ApplyPatch(std::span<const std::uint8_t> patch,
                                                  std::span<const std::uint8_t> source) {
    const auto format = DetectPatchFormat(patch);
    if (!format) {
        return PatchError::NotAPatch;
    }
    return *format == PatchFormat::Ips ? ApplyIpsPatch(patch, source)
                                       : ApplyBpsPatch(patch, source);
}

PatchResult<PatchInfo> ReadPatchInfo(std::span<const std::uint8_t> patch) {
    const auto format = DetectPatchFormat(patch);
    if (!format) {
        return PatchError::NotAPatch;
    }
    return *format == PatchFormat::Ips ? ReadIpsInfo(patch) : ReadBpsInfo(patch);
}

}  // namespace morvane
