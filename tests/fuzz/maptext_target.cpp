#include <string_view>

#include "fuzz_targets.h"
#include "leveldata/map_text.h"

namespace morvane::fuzz {

void FuzzMapText(std::span<const std::uint8_t> input) {
    const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
    const MapTextResult parsed = ParseMapText(text);
    if (!parsed.ok()) {
        Check(!DescribeMapTextProblem(parsed.failure()).empty());
        return;
    }
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        Check(parsed.value().cell(cell) < LevelMap::kTileCount);
    }
    const std::string formatted = FormatMapText(parsed.value());
    const MapTextResult again = ParseMapText(formatted);
    Check(again.ok() && again.value() == parsed.value());
    Check(FormatMapText(again.value()) == formatted);
}

}  // namespace morvane::fuzz
