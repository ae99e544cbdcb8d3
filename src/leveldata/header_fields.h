#pragma once

#include <charconv>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvane {

// A text header: a first line that names the format, then one "name: value" line per fact, up
// to the end of the text or an empty line. Restore points, records of writes under way and
// project folders' manifests keep their facts so, where a person can read them.
class HeaderFields {
public:
    // Reads the header at the start of text; a view into text, which must outlive it. Nothing
    // when the first line is not firstLine, a line has no ": " or a name comes twice.
    static std::optional<HeaderFields> Read(std::string_view text, std::string_view firstLine);

    std::size_t size() const { return m_fields.size(); }

    // Every field, by name.
    const std::map<std::string_view, std::string_view, std::less<>>& fields() const {
        return m_fields;
    }

    // The value of name, or nothing.
    std::optional<std::string_view> text(std::string_view name) const;

    // The value of name as a whole number in base into value: digits alone (no sign or space)
    // of a number that fits T. False, with value unspecified, for anything else.
    template <typename T>
    bool number(std::string_view name, T& value, int base = 10) const {
        const auto digits = text(name);
        if (!digits || digits->empty() || digits->front() == '-' || digits->front() == '+') {
            return false;
        }
        const char* end = digits->data() + digits->size();
        const auto [stop, error] = std::from_chars(digits->data(), end, value, base);
        return error == std::errc() && stop == end;
    }

private:
    std::map<std::string_view, std::string_view, std::less<>> m_fields;
};

// The header's text: firstLine, then "name: value" for each field in order, each line ended by
// '\n'. A value must not hold a line break.
std::string WriteHeaderFields(std::string_view firstLine,
                              const std::vector<std::pair<std::string_view, std::string>>& fields);

// value as 8 lower-case hex digits, as headers write CRC-32s.
std::string HexWord(std::uint32_t value);

}  // namespace morvane
