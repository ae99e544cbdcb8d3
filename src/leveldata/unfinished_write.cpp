#include "leveldata/unfinished_write.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

namespace morvane {

namespace {

constexpr std::string_view kMagic = "MORVANE WRITE UNDER WAY 1\n";

// Reads "name: value\n" at the start of text into value, in base, and drops the line.
template <typename T>
bool TakeField(std::string_view& text, std::string_view name, T& value, int base) {
    if (!text.starts_with(name) || !text.substr(name.size()).starts_with(": ")) {
        return false;
    }
    text.remove_prefix(name.size() + 2);
    const auto lineEnd = text.find('\n');
    const std::string_view digits = text.substr(0, lineEnd);
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (lineEnd == std::string_view::npos || digits.empty() || digits[0] == '-' ||
        digits[0] == '+' || error != std::errc() || end != digits.data() + digits.size()) {
        return false;
    }
    text.remove_prefix(lineEnd + 1);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeUnfinishedWrite(const UnfinishedWrite& record) {
    char checksums[64];
    std::snprintf(checksums, sizeof checksums, "before-crc32: %08x\nafter-crc32: %08x\n",
                  unsigned(record.before), unsigned(record.after));
    const std::string text =
        std::string(kMagic) + "point: " + std::to_string(record.pointId) + "\n" + checksums;
    return {text.begin(), text.end()};
}

std::optional<UnfinishedWrite> DecodeUnfinishedWrite(std::span<const std::uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!text.starts_with(kMagic)) {
        return std::nullopt;
    }
    text.remove_prefix(kMagic.size());
    UnfinishedWrite record;
    if (!TakeField(text, "point", record.pointId, 10) || record.pointId < 1 ||
        !TakeField(text, "before-crc32", record.before, 16) ||
        !TakeField(text, "after-crc32", record.after, 16) || !text.empty()) {
        return std::nullopt;
    }
    return record;
}

}  // namespace morvane
