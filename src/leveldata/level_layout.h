#pragma once

#include <cstdint>

namespace morvane {

// Where a source keeps its level data: a bank of 99 packed levels behind a pointer table, or
// one map stored as a stream with no table. Both start at file byte dataOffset.
struct LevelLayout {
    std::int64_t dataOffset = 0;
    bool hasBank = false;

    int levelCount() const { return hasBank ? 99 : 1; }
};

}  // namespace morvane
