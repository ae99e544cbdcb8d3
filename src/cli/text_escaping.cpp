#include "cli/text_escaping.h"

#include <cstdio>

namespace morvane {

namespace {

// The length of the valid UTF-8 sequence at the start of text (1 for a plain ASCII byte), or 0
// when it does not start with one. Overlong forms, surrogates and code points past U+10FFFF are
// not valid.
std::size_t Utf8SequenceLength(std::string_view text, char32_t& codePoint) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t at = 1; at < length; ++at) {
        if ((byte(at) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = codePoint << 6 | (byte(at) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool IsControl(char32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

// Walks text by UTF-8 sequences: calls keep(sequence) for each valid one that is not a control
// character, and escape(codePoint, bytes) for a control character (bytes its encoding) and for
// each byte that is not part of valid UTF-8 (codePoint then the byte's value).
template <typename Keep, typename Escape>
void ForEachSequence(std::string_view text, Keep keep, Escape escape) {
    while (!text.empty()) {
        char32_t codePoint = 0;
        std::size_t length = Utf8SequenceLength(text, codePoint);
        if (length == 0) {
            length = 1;
            codePoint = static_cast<unsigned char>(text[0]);
            escape(codePoint, text.substr(0, 1));
        } else if (IsControl(codePoint)) {
            escape(codePoint, text.substr(0, length));
        } else {
            keep(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    ForEachSequence(
        text,
        [&](std::string_view sequence) {
            if (sequence == "\"" || sequence == "\\") {
                quoted += '\\';
            }
            quoted += sequence;
        },
        [&](char32_t codePoint, std::string_view) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(codePoint));
            quoted += codePoint == '\n' ? std::string("\\n") : std::string(escaped);
        });
    return quoted + "\"";
}

std::string PrintableText(const std::string& text) {
    std::string shown;
    ForEachSequence(
        text,
        [&](std::string_view sequence) {
            shown += sequence == "\\" ? std::string_view("\\\\") : sequence;
        },
        [&](char32_t, std::string_view bytes) {
            for (const char byte : bytes) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x",
                              unsigned(static_cast<unsigned char>(byte)));
                shown += escaped;
            }
        });
    return shown;
}

}  // namespace morvane
