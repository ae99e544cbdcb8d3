#include "leveldata/header_fields.h"

#include <cstdio>

namespace morvane {

std::optional<HeaderFields> HeaderFields::Read(std::string_view text, std::string_view firstLine) {
    const auto firstEnd = text.find('\n');
    if (text.substr(0, firstEnd) != firstLine) {
        return std::nullopt;
    }
    HeaderFields header;
    text.remove_prefix(firstEnd == std::string_view::npos ? text.size() : firstEnd + 1);
    while (!text.empty()) {
        const auto lineEnd = text.find('\n');
        const std::string_view line = text.substr(0, lineEnd);
        if (line.empty()) {
            break;
        }
        const auto colon = line.find(": ");
        if (colon == std::string_view::npos ||
            !header.m_fields.emplace(line.substr(0, colon), line.substr(colon + 2)).second) {
            return std::nullopt;
        }
        text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
    }
    return header;
}

std::optional<std::string_view> HeaderFields::text(std::string_view name) const {
    const auto found = m_fields.find(name);
    return found == m_fields.end() ? std::nullopt : std::optional(found->second);
}

std::string WriteHeaderFields(std::string_view firstLine,
                              const std::vector<std::pair<std::string_view, std::string>>& fields) {
    std::string text(firstLine);
    text += '\n';
    for (const auto& [name, value] : fields) {
        text.append(name).append(": ").append(value) += '\n';
    }
    return text;
}

std::string HexWord(std::uint32_t value) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", unsigned(value));
    return hex;
}

}  // namespace morvane
