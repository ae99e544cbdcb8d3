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

}  // namespace morvane
