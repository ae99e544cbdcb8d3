#include "leveldata/unfinished_write.h"

#include <string>
#include <string_view>

#include "leveldata/header_fields.h"

namespace morvane {

namespace {

constexpr std::string_view kMagic = "MORVANE WRITE UNDER WAY 1";

}  // namespace

std::vector<std::uint8_t> EncodeUnfinishedWrite(const UnfinishedWrite& record) {
    const std::string text = WriteHeaderFields(kMagic, {{"point", std::to_string(record.pointId)},
                                                        {"before-crc32", HexWord(record.before)},
                                                        {"after-crc32", HexWord(record.after)}});
    return {text.begin(), text.end()};
}

std::optional<UnfinishedWrite> DecodeUnfinishedWrite(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto fields = HeaderFields::Read(text, kMagic);
    UnfinishedWrite record;
    // The record is exactly its lines: anything more, or a cut-off last line, is not one.
    if (!fields || !text.ends_with('\n') || text.find("\n\n") != std::string_view::npos ||
        fields->size() != 3 || !fields->number("point", record.pointId) || record.pointId < 1 ||
        !fields->number("before-crc32", record.before, 16) ||
        !fields->number("after-crc32", record.after, 16)) {
        return std::nullopt;
    }
    return record;
}

}  // namespace morvane
