#include "leveldata/unfinished_write.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "leveldata/crc32.h"
#include "leveldata/header_fields.h"

namespace morvane {

namespace {

constexpr std::string_view kVersion1 = "MORVANE WRITE UNDER WAY 1";
constexpr std::string_view kVersion2 = "MORVANE WRITE UNDER WAY 2";

std::string PagesText(const UnfinishedWrite::Pages& pages) {
    std::string text;
    for (const std::uint32_t page : pages) {
        text += (text.empty() ? "" : " ") + HexWord(page);
    }
    return text;
}

// Four CRC-32s of 8 hex digits, separated by single spaces.
std::optional<UnfinishedWrite::Pages> ParsePages(std::string_view text) {
    UnfinishedWrite::Pages pages{};
    constexpr std::size_t kWord = 8;
    if (text.size() != UnfinishedWrite::kPages * (kWord + 1) - 1) {
        return std::nullopt;
    }
    for (std::size_t at = 0; at < pages.size(); ++at) {
        const char* word = text.data() + at * (kWord + 1);
        const auto [stop, error] = std::from_chars(word, word + kWord, pages[at], 16);
        if ((at > 0 && word[-1] != ' ') || error != std::errc() || stop != word + kWord) {
            return std::nullopt;
        }
    }
    return pages;
}

}  // namespace

UnfinishedWrite::Pages PageChecksums(std::span<const std::uint8_t> bank) {
    UnfinishedWrite::Pages pages{};
    for (std::size_t page = 0; page < pages.size(); ++page) {
        pages[page] =
            Crc32(bank.subspan(page * UnfinishedWrite::kPageSize, UnfinishedWrite::kPageSize));
    }
    return pages;
}

std::vector<std::uint8_t> EncodeUnfinishedWrite(const UnfinishedWrite& record) {
    std::string file = record.file;
    std::replace_if(
        file.begin(), file.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    const std::string text =
        WriteHeaderFields(kVersion2, {{"file", file},
                                      {"point", std::to_string(record.pointId)},
                                      {"before-crc32", HexWord(record.before)},
                                      {"after-crc32", HexWord(record.after)},
                                      {"before-pages", PagesText(*record.beforePages)},
                                      {"after-pages", PagesText(*record.afterPages)}});
    return {text.begin(), text.end()};
}

std::optional<UnfinishedWrite> DecodeUnfinishedWrite(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const bool version2 = text.starts_with(kVersion2);
    const auto fields = HeaderFields::Read(text, version2 ? kVersion2 : kVersion1);
    UnfinishedWrite record;
    // The record is exactly its lines: anything more, or a cut-off last line, is not one.
    if (!fields || !text.ends_with('\n') || text.find("\n\n") != std::string_view::npos ||
        fields->size() != (version2 ? 6u : 3u) || !fields->number("point", record.pointId) ||
        record.pointId < 1 || !fields->number("before-crc32", record.before, 16) ||
        !fields->number("after-crc32", record.after, 16)) {
        return std::nullopt;
    }
    if (version2) {
        record.file = std::string(fields->text("file").value_or(""));
        record.beforePages = ParsePages(fields->text("before-pages").value_or(""));
        record.afterPages = ParsePages(fields->text("after-pages").value_or(""));
        if (record.file.empty() || !record.beforePages || !record.afterPages) {
            return std::nullopt;
        }
    }
    return record;
}

}  // namespace morvane
