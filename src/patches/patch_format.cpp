#include "patches/patch_format.h"

#include <algorithm>
#include <cctype>

namespace morvane {

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view signature) {
    return bytes.size() >= signature.size() &&
           std::equal(signature.begin(), signature.end(), bytes.begin(),
                      [](char a, std::uint8_t b) { return std::uint8_t(a) == b; });
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           std::equal(
               suffix.begin(), suffix.end(), text.end() - std::ptrdiff_t(suffix.size()),
               [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

std::string_view PatchFormatName(PatchFormat format) {
    return format == PatchFormat::Ips ? "IPS" : "BPS";
}

std::optional<PatchFormat> DetectPatchFormat(std::span<const std::uint8_t> patch) {
    if (StartsWith(patch, "PATCH")) {
        return PatchFormat::Ips;
    }
    if (StartsWith(patch, "BPS1")) {
        return PatchFormat::Bps;
    }
    return std::nullopt;
}

std::optional<PatchFormat> PatchFormatFromFileName(std::string_view fileName) {
    if (EndsWithNoCase(fileName, ".ips")) {
        return PatchFormat::Ips;
    }
    if (EndsWithNoCase(fileName, ".bps")) {
        return PatchFormat::Bps;
    }
    return std::nullopt;
}

}  // namespace morvane
