#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace morvane {

// The patch formats this library reads and writes.
enum class PatchFormat {
    // "PATCH", records of offset and bytes, "EOF": overwrites bytes of files up to 16 MiB.
    Ips,
    // "BPS1", actions that build the result from the source, the patch and the result itself,
    // with CRC-32 checks of source, result and patch.
    Bps,
};

// "IPS" or "BPS".
std::string_view PatchFormatName(PatchFormat format);

// The format whose signature the patch starts with, or nothing for any other bytes.
std::optional<PatchFormat> DetectPatchFormat(std::span<const std::uint8_t> patch);

// The format a patch file name asks for by its extension, ".ips" or ".bps" in any case, or
// nothing for any other name. For `patch make`, which writes the format of its output's name.
std::optional<PatchFormat> PatchFormatFromFileName(std::string_view fileName);

}  // namespace morvane
