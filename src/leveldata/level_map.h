#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace morvane {

// One level: 224 tile numbers (0..63) followed by three sentinel cells that always hold 255.
// The sentinels end every run the packer looks at, so it needs no bounds test.
//
// Cell k is shown at grid row k / 32 and column 31 - k % 32: cell 0 is the top-right square,
// cells run right to left within a row, and rows follow downward.
class LevelMap {
public:
    static constexpr int kCellCount = 224;
    static constexpr int kStorageSize = 227;
    static constexpr int kColumns = 32;
    static constexpr int kRows = 7;
    static constexpr std::uint8_t kSentinel = 255;
    static constexpr std::uint8_t kTileCount = 64;

    // All cells hold tile 0, the sentinels 255.
    LevelMap();

    std::uint8_t cell(int index) const { return m_cells[std::size_t(index)]; }

    // Stores a tile number (0..63) in cell 0..223. Sentinels cannot be written.
    void setCell(int index, std::uint8_t tile);

    // The 227 bytes, sentinels included.
    std::span<const std::uint8_t, kStorageSize> storage() const { return m_cells; }

    static int columnOf(int index) { return kColumns - 1 - index % kColumns; }
    static int rowOf(int index) { return index / kColumns; }
    static int cellAt(int column, int row) { return row * kColumns + kColumns - 1 - column; }

    friend bool operator==(const LevelMap&, const LevelMap&) = default;

private:
    std::array<std::uint8_t, kStorageSize> m_cells;
};

}  // namespace morvane
