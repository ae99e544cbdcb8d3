#include "leveldata/save_space.h"

namespace morvane {

std::optional<int> SaveSpace::freeAfter() const {
    if (!freeNow) {
        return std::nullopt;
    }
    return *freeNow - (newLength - streamLength);
}

std::optional<LevelFailure> SaveSpace::refusal() const {
    const int growth = newLength - streamLength;
    // A stream that does not grow fits whatever follows the last level.
    if (growth <= 0) {
        return std::nullopt;
    }
    if (!freeNow) {
        return LevelFailure{LevelError::FreeSpaceUnknown, level};
    }
    if (growth > *freeNow) {
        LevelFailure failure{LevelError::BankOverflow, level};
        failure.missingBytes = growth - *freeNow;
        return failure;
    }
    return std::nullopt;
}

LevelResult<SaveSpace> MeasureSaveSpace(const LevelBank& bank, int index, int newLength) {
    const auto level = bank.readLevel(index);
    if (!level.ok()) {
        return level.failure();
    }
    SaveSpace space;
    space.level = index + 1;
    space.streamLength = level.value().length;
    space.newLength = newLength;
    space.freeNow = bank.freeBytes();
    return space;
}

std::string DescribeSaveSpace(const LevelResult<SaveSpace>& measured) {
    if (!measured.ok()) {
        return "The bank's free space cannot be told: " + DescribeLevelFailure(measured.failure());
    }
    const SaveSpace& space = measured.value();
    const std::string text =
        "Level " + std::to_string(space.level) + " packs to " + std::to_string(space.newLength) +
        " bytes now; its stream in the file is " + std::to_string(space.streamLength) + " bytes.\n";
    const auto after = space.freeAfter();
    if (!space.freeNow || !after) {
        return text + "The bank's free bytes are unknown: level 99 cannot be read.";
    }
    const std::string freeNow =
        "The bank has " + std::to_string(*space.freeNow) + " bytes free now";
    if (*after < 0) {
        return text + freeNow + ". The level no longer fits: " + std::to_string(-*after) +
               " bytes are missing.";
    }
    return text + freeNow + " and would have " + std::to_string(*after) + " free after saving.";
}

}  // namespace morvane
