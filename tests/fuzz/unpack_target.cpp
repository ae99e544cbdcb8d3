#include <algorithm>

#include "fuzz_targets.h"
#include "leveldata/level_codec.h"

namespace morvane::fuzz {

void FuzzUnpack(std::span<const std::uint8_t> input) {
    LevelMap map;
    map.setCell(100, 42);
    const LevelMap before = map;
    int announced = 0;  // and the next cell to announce
    const UnpackResult result =
        UnpackLevel(input, map, [&](int cell) { Check(cell == announced++); });
    const auto cells = map.storage();
    Check(cells[224] == 255 && cells[225] == 255 && cells[226] == 255);
    if (!result.ok()) {
        Check(map == before && announced == 0 && result.errorByte >= 0 &&
              std::size_t(result.errorByte) <= input.size());
        return;
    }
    Check(announced == LevelMap::kCellCount && result.consumed >= 56 && result.consumed <= 224 &&
          std::size_t(result.consumed) <= input.size());
    Check(std::all_of(cells.begin(), cells.begin() + 224, [](int tile) { return tile < 64; }));
    const auto packed = PackLevel(map);
    Check(packed.size() <= std::size_t(result.consumed));
    LevelMap again;
    const UnpackResult repacked = UnpackLevel(packed, again);
    Check(repacked.ok() && std::size_t(repacked.consumed) == packed.size() && again == map);
}

}  // namespace morvane::fuzz
