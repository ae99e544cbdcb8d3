#include "leveldata/restore_point.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "leveldata/header_fields.h"
#include "leveldata/level_bank.h"

namespace morvane {

namespace {

constexpr std::string_view kMagic = "MORVANE RESTORE POINT 1";

}  // namespace

std::size_t RestorePoint::bankBytesPresent() const {
    return std::size_t(std::clamp<std::int64_t>(fileSize - dataOffset, 0, LevelBank::kSize));
}

LevelBank RestorePoint::heldBank() const {
    return LevelBank(std::span(bank).first(bankBytesPresent()), dataOffset);
}

std::vector<std::uint8_t> EncodeRestorePoint(const RestorePoint& point) {
    std::string what = point.what;
    std::replace_if(
        what.begin(), what.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    const std::string header =
        WriteHeaderFields(kMagic, {{"id", std::to_string(point.id)},
                                   {"time", point.time},
                                   {"what", what},
                                   {"kind", std::to_string(point.sourceKind)},
                                   {"data-offset", std::to_string(point.dataOffset)},
                                   {"file-size", std::to_string(point.fileSize)},
                                   {"crc32", HexWord(point.checksum)}}) +
        "\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), point.bank.begin(), point.bank.end());
    return bytes;
}

LevelResult<RestorePoint> DecodeRestorePoint(std::span<const std::uint8_t> bytes,
                                             const std::string& idText) {
    auto point = DecodeRestorePointHeader(bytes, idText);
    if (!point.ok()) {
        return point;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                                std::min(bytes.size(), kMaxRestorePointHeader));
    const auto bank = bytes.subspan(text.find("\n\n") + 2);
    if (bank.size() != std::size_t(LevelBank::kSize) || Crc32(bank) != point.value().checksum) {
        LevelFailure damaged{LevelError::PointDamaged};
        damaged.detail = idText;
        return damaged;
    }
    point.value().bank.assign(bank.begin(), bank.end());
    return point;
}

LevelResult<RestorePoint> DecodeRestorePointHeader(std::span<const std::uint8_t> bytes,
                                                   const std::string& idText) {
    LevelFailure damaged{LevelError::PointDamaged};
    damaged.detail = idText;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                                std::min(bytes.size(), kMaxRestorePointHeader));
    const auto headerEnd = text.find("\n\n");
    if (headerEnd == std::string_view::npos) {
        return damaged;
    }
    const auto fields = HeaderFields::Read(text.substr(0, headerEnd + 1), kMagic);
    RestorePoint point;
    if (!fields || fields->size() != 7 || !fields->number("id", point.id) || point.id < 1 ||
        !fields->number("kind", point.sourceKind) ||
        !fields->number("data-offset", point.dataOffset) ||
        !fields->number("file-size", point.fileSize) || point.fileSize < point.dataOffset ||
        fields->text("crc32").value_or("").size() != 8 ||
        !fields->number("crc32", point.checksum, 16) || !fields->text("time") ||
        !fields->text("what")) {
        return damaged;
    }
    point.time = std::string(*fields->text("time"));
    point.what = std::string(*fields->text("what"));
    return point;
}

}  // namespace morvane
