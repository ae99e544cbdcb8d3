#pragma once

#include <array>
#include <cstdint>

namespace morvane {

// Decimal digits in a 3 x 5 pixel font, so that a tile number can be drawn on a small square
// without any font installed. The placeholder tile pictures and the demo's tile pictures
// both draw their numbers with it. Standard library only.
inline constexpr int kDigitWidth = 3;
inline constexpr int kDigitHeight = 5;

// One row per entry, top first; bit 2 is the left column.
inline constexpr std::array<std::array<std::uint8_t, kDigitHeight>, 10> kDigitFont = {{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
}};

// Calls plot(x, y) for every inked pixel of digit 0..9 drawn with its top-left corner at
// (left, top).
template <typename Plot>
void DrawDigit(int digit, int left, int top, Plot&& plot) {
    for (int row = 0; row < kDigitHeight; ++row) {
        for (int column = 0; column < kDigitWidth; ++column) {
            if (kDigitFont[std::size_t(digit)][std::size_t(row)] & (4 >> column)) {
                plot(left + column, top + row);
            }
        }
    }
}

}  // namespace morvane
