#pragma once

#include <optional>
#include <string>

#include "leveldata/level_bank.h"
#include "leveldata/level_failure.h"

namespace morvane {

// What saving a level with a stream of a new length would do to the bank's free space. The
// save itself and every view of the free space take their figures from here.
struct SaveSpace {
    // Level number 1..99 the figures are about.
    int level = 0;
    // The level's stream as it stands in the file, in bytes.
    int streamLength = 0;
    // The stream the level would be saved as, in bytes.
    int newLength = 0;
    // The bank's free bytes now; nothing when level 99 cannot be read, so the bank's end is
    // unknown.
    std::optional<int> freeNow;

    // The free bytes after saving; negative when the new stream does not fit (its magnitude is
    // the bytes missing). Nothing when the free space is unknown.
    std::optional<int> freeAfter() const;

    // Why a save would be refused for space: BankOverflow with the missing bytes, or
    // FreeSpaceUnknown when the stream grows and the free space cannot be told. Nothing when the
    // new stream fits.
    std::optional<LevelFailure> refusal() const;
};

// Measures a save of level index (0..98) of bank with a stream of newLength bytes. Fails with the
// level's own failure when the level cannot be read from bank. Reads only bank.
LevelResult<SaveSpace> MeasureSaveSpace(const LevelBank& bank, int index, int newLength);

// The free space in words, as the editor's Save button tells it: what the level packs to, and
// what saving it would leave of the bank's free space, or why that cannot be told.
std::string DescribeSaveSpace(const LevelResult<SaveSpace>& measured);

}  // namespace morvane
