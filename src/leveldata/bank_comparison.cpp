#include "leveldata/bank_comparison.h"

namespace morvane {

std::vector<LevelDifference> CompareBanks(const LevelBank& first, const LevelBank& second) {
    std::vector<LevelDifference> differences;
    for (int index = 0; index < LevelBank::kLevelCount; ++index) {
        const auto a = first.readLevel(index);
        const auto b = second.readLevel(index);
        if (!a.ok() || !b.ok()) {
            differences.push_back({index + 1, 0, true});
            continue;
        }
        int cells = 0;
        for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
            cells += a.value().map.cell(cell) != b.value().map.cell(cell);
        }
        if (cells > 0) {
            differences.push_back({index + 1, cells, false});
        }
    }
    return differences;
}

std::string LevelRanges(const std::vector<int>& numbers) {
    std::string text;
    for (std::size_t at = 0; at < numbers.size();) {
        std::size_t last = at;
        while (last + 1 < numbers.size() && numbers[last + 1] == numbers[last] + 1) {
            ++last;
        }
        text += (text.empty() ? "" : ",") + std::to_string(numbers[at]);
        if (last > at) {
            text += "-" + std::to_string(numbers[last]);
        }
        at = last + 1;
    }
    return text;
}

}  // namespace morvane
