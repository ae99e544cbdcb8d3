#include "leveldata/map_text.h"

#include <charconv>
#include <vector>

namespace morvane {

namespace {

// A longer word is cut in messages; a clipboard may hold anything.
constexpr std::size_t kShownWordLength = 20;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigits(std::string_view word) {
    for (const char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::string Shown(const std::string& word) {
    return word.size() > kShownWordLength ? word.substr(0, kShownWordLength) + "..." : word;
}

}  // namespace

std::string DescribeMapTextProblem(const MapTextProblem& problem) {
    switch (problem.error) {
        case MapTextError::NotANumber:
            // Appended piece by piece: GCC 12 warns falsely about "'" + std::string in Release.
            return std::string(1, '\'')
                .append(Shown(problem.word))
                .append("' is not a tile number");
        case MapTextError::TileOutOfRange:
            return Shown(problem.word) + " is not a tile number";
        case MapTextError::BadLine:
            return "line " + std::to_string(problem.line) + " has " +
                   std::to_string(problem.count) + (problem.count == 1 ? " number" : " numbers");
        case MapTextError::WrongCount:
            break;
    }
    return "found " + std::to_string(problem.count) + " numbers, not " +
           std::to_string(LevelMap::kCellCount);
}

MapTextResult ParseMapText(std::string_view text) {
    std::vector<std::uint8_t> tiles;
    // The numbers on each non-blank line, with the line's number, to name a bad line.
    std::vector<std::pair<int, int>> lines;
    int line = 1;
    int onLine = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (IsSpace(text[at])) {
            if (text[at] == '\n') {
                if (onLine > 0) {
                    lines.emplace_back(line, onLine);
                }
                ++line;
                onLine = 0;
            }
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !IsSpace(text[end])) {
            ++end;
        }
        const std::string_view word = text.substr(at, end - at);
        at = end;
        if (!IsDigits(word)) {
            return MapTextProblem{MapTextError::NotANumber, std::string(word)};
        }
        unsigned value = 0;
        const auto [stop, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error != std::errc() || stop != word.data() + word.size() ||
            value >= LevelMap::kTileCount) {
            return MapTextProblem{MapTextError::TileOutOfRange, std::string(word)};
        }
        tiles.push_back(std::uint8_t(value));
        ++onLine;
    }
    if (onLine > 0) {
        lines.emplace_back(line, onLine);
    }
    if (tiles.size() != std::size_t(LevelMap::kCellCount)) {
        if (lines.size() > 1) {
            for (const auto& [number, count] : lines) {
                if (count != LevelMap::kColumns) {
                    return MapTextProblem{MapTextError::BadLine, {}, number, count};
                }
            }
        }
        return MapTextProblem{MapTextError::WrongCount, {}, 0, int(tiles.size())};
    }
    LevelMap map;
    for (int position = 0; position < LevelMap::kCellCount; ++position) {
        map.setCell(LevelMap::cellAt(position % LevelMap::kColumns, position / LevelMap::kColumns),
                    tiles[std::size_t(position)]);
    }
    return map;
}

std::string FormatMapText(const LevelMap& map) {
    std::string text;
    text.reserve(3 * LevelMap::kCellCount);
    for (int row = 0; row < LevelMap::kRows; ++row) {
        for (int column = 0; column < LevelMap::kColumns; ++column) {
            if (column > 0) {
                text += ' ';
            }
            text += std::to_string(int(map.cell(LevelMap::cellAt(column, row))));
        }
        text += '\n';
    }
    return text;
}

}  // namespace morvane
