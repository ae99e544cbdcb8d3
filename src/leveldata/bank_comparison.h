#pragma once

#include <string>
#include <vector>

#include "leveldata/level_bank.h"

namespace morvane {

// A level that reads differently in two banks: how many of its 224 cells differ, or that it
// cannot be read from one of them (cells is then 0).
struct LevelDifference {
    int number = 0;
    int cells = 0;
    bool unreadable = false;

    bool operator==(const LevelDifference&) const = default;
};

// The levels 1..99 whose maps differ between two banks, in level order. A level unreadable in
// either bank is listed as unreadable.
std::vector<LevelDifference> CompareBanks(const LevelBank& first, const LevelBank& second);

// Level numbers in ascending order as ranges, as listings show them: "1-38,40".
std::string LevelRanges(const std::vector<int>& numbers);

}  // namespace morvane
