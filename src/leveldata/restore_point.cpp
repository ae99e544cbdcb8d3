#include "leveldata/restore_point.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <string_view>

#include "leveldata/level_bank.h"

namespace morvane {

namespace {

constexpr std::string_view kMagic = "MORVANE RESTORE POINT 1";
// A header is a few short lines; anything longer is not one.
constexpr std::size_t kMaxHeader = 4096;

template <typename T>
bool ParseInteger(std::string_view text, T& value, int base = 10) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::size_t RestorePoint::bankBytesPresent() const {
    return std::size_t(std::clamp<std::int64_t>(fileSize - dataOffset, 0, LevelBank::kSize));
}

LevelBank RestorePoint::heldBank() const {
    return LevelBank(std::span(bank).first(bankBytesPresent()), dataOffset);
}

std::uint32_t BankChecksum(std::span<const std::uint8_t> bytes) {
    return std::uint32_t(::crc32(::crc32(0, nullptr, 0), bytes.data(), uInt(bytes.size())));
}

std::vector<std::uint8_t> EncodeRestorePoint(const RestorePoint& point) {
    std::string what = point.what;
    std::replace_if(
        what.begin(), what.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", unsigned(point.checksum));
    const std::string header =
        std::string(kMagic) + "\nid: " + std::to_string(point.id) + "\ntime: " + point.time +
        "\nwhat: " + what + "\nkind: " + std::to_string(point.sourceKind) +
        "\ndata-offset: " + std::to_string(point.dataOffset) +
        "\nfile-size: " + std::to_string(point.fileSize) + "\ncrc32: " + std::string(hex) + "\n\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), point.bank.begin(), point.bank.end());
    return bytes;
}

LevelResult<RestorePoint> DecodeRestorePoint(std::span<const std::uint8_t> bytes,
                                             const std::string& idText) {
    LevelFailure damaged{LevelError::PointDamaged};
    damaged.detail = idText;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                                std::min(bytes.size(), kMaxHeader));
    const auto headerEnd = text.find("\n\n");
    if (headerEnd == std::string_view::npos) {
        return damaged;
    }
    std::map<std::string_view, std::string_view> fields;
    std::string_view rest = text.substr(0, headerEnd + 1);
    const auto firstLine = rest.find('\n');
    if (rest.substr(0, firstLine) != kMagic) {
        return damaged;
    }
    rest.remove_prefix(firstLine + 1);
    while (!rest.empty()) {
        const auto lineEnd = rest.find('\n');
        const std::string_view line = rest.substr(0, lineEnd);
        rest.remove_prefix(lineEnd + 1);
        const auto colon = line.find(": ");
        if (colon == std::string_view::npos ||
            !fields.emplace(line.substr(0, colon), line.substr(colon + 2)).second) {
            return damaged;
        }
    }
    RestorePoint point;
    const auto field = [&](std::string_view name) {
        const auto found = fields.find(name);
        return found == fields.end() ? std::string_view() : found->second;
    };
    if (fields.size() != 7 || !ParseInteger(field("id"), point.id) || point.id < 1 ||
        !ParseInteger(field("kind"), point.sourceKind) ||
        !ParseInteger(field("data-offset"), point.dataOffset) || point.dataOffset < 0 ||
        !ParseInteger(field("file-size"), point.fileSize) || point.fileSize < point.dataOffset ||
        field("crc32").size() != 8 || !ParseInteger(field("crc32"), point.checksum, 16) ||
        !fields.count("time") || !fields.count("what")) {
        return damaged;
    }
    point.time = std::string(field("time"));
    point.what = std::string(field("what"));
    const auto bank = bytes.subspan(headerEnd + 2);
    if (bank.size() != std::size_t(LevelBank::kSize) || BankChecksum(bank) != point.checksum) {
        return damaged;
    }
    point.bank.assign(bank.begin(), bank.end());
    return point;
}

}  // namespace morvane
