#include "leveldata/map_text.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

// A map whose cell k holds tile k mod 64, and its text: screen order puts cell 31 first.
LevelMap Counting() {
    LevelMap map;
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        map.setCell(cell, std::uint8_t(cell % 64));
    }
    return map;
}

std::vector<std::string> CountingLines() {
    std::vector<std::string> lines;
    for (int row = 0; row < 7; ++row) {
        std::string line;
        for (int column = 0; column < 32; ++column) {
            line += (column ? " " : "") + std::to_string((row * 32 + 31 - column) % 64);
        }
        lines.push_back(line);
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const auto& line : lines) {
        text += line + end;
    }
    return text;
}

TEST(MapText, FormatsSevenLinesOfThirtyTwoAndParsesAnyWhitespaceOrNamesTheFirstProblem) {
    auto lines = CountingLines();
    const std::string text = Join(lines, "\n");
    EXPECT_EQ(FormatMapText(Counting()), text);
    auto shortLine = lines;
    shortLine[2].erase(shortLine[2].rfind(' '));
    auto longLine = lines;
    longLine[4] += " 7";
    auto extraLine = lines;
    extraLine.push_back(lines[0]);
    auto withWord = lines;
    withWord[6] = "x" + withWord[6].substr(withWord[6].find(' '));

    struct Case {
        std::string text;
        std::string problem;  // empty: parses to Counting()
    };
    const std::vector<Case> cases = {
        {text, ""},
        {"031 " + text.substr(text.find(' ') + 1), ""},  // leading zeros: still decimal
        {Join(lines, "\r\n"), ""},
        {"\n\t " + Join(lines, " \t\f\v "), ""},
        {Join(shortLine, "\n"), "line 3 has 31 numbers"},
        {"\n\n" + Join(longLine, "\n"), "line 7 has 33 numbers"},
        {Join(extraLine, "\n"), "found 256 numbers, not 224"},
        {text.substr(0, text.rfind(' ')), "line 7 has 31 numbers"},
        {Join(shortLine, " "), "found 223 numbers, not 224"},
        {"", "found 0 numbers, not 224"},
        {Join(withWord, "\n"), "'x' is not a tile number"},
        {"1 2 64 x", "64 is not a tile number"},
        {"-1", "'-1' is not a tile number"},
        {"+1", "'+1' is not a tile number"},
        {"0x1", "'0x1' is not a tile number"},
        {"4294967296", "4294967296 is not a tile number"},
        {std::string(30, '9'), "99999999999999999999... is not a tile number"},
    };
    for (const auto& [input, problem] : cases) {
        SCOPED_TRACE(input.substr(0, 80));
        const MapTextResult result = ParseMapText(input);
        if (problem.empty()) {
            ASSERT_TRUE(result.ok()) << DescribeMapTextProblem(result.failure());
            EXPECT_EQ(result.value(), Counting());
        } else {
            ASSERT_FALSE(result.ok());
            EXPECT_EQ(DescribeMapTextProblem(result.failure()), problem);
        }
    }
}

}  // namespace
}  // namespace morvane
