#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "leveldata/file_status.h"
#include "leveldata/result.h"

namespace morvane {

// Why a level could not be loaded or saved.
enum class LevelError {
    // The level number is not one the source holds.
    NoSuchLevel,
    // The source's data offset is not a file position.
    BadDataOffset,
    // The file ends inside the pointer table, before the level's entry.
    TableLeavesFile,
    // The level's pointer does not point into the bank's data area.
    PointerOutsideBank,
    // The level's stream runs past the end of the bank.
    StreamLeavesBank,
    // The file ends inside the level's stream.
    StreamLeavesFile,
    // A run of the stream would pass the last cell.
    RunPastEnd,
    // The source holds a single map, which cannot be saved.
    NotABank,
    // The stream's recorded place or length no longer matches the bank: the file was changed
    // since the level was read.
    BadLevelPlace,
    // The new stream does not fit the free space at the end of the bank.
    BankOverflow,
    // The free space cannot be told because the last level cannot be read, and the new stream
    // is longer than the old one.
    FreeSpaceUnknown,
    // The rebuilt bank would change how another level reads, or would not read back as the
    // new map.
    LevelWouldChange,
    // The file could not be read.
    ReadFailed,
    // The file could not be written or flushed; the old bank was put back when possible.
    WriteFailed,
    // The bank read back after writing differs from what was written.
    VerifyFailed,
    // The restore point that must precede a write could not be made; nothing was written.
    HistoryFailed,
    // The history holds no restore point with that id.
    NoSuchPoint,
    // A restore point cannot be read or its checksum does not match its bytes.
    PointDamaged,
    // A restore point was taken from a file of another kind or size.
    PointOfOtherFile,
    // A restore point's file cannot be read, or is not safe to trust.
    PointUnreadable,
    // The history folder cannot be read, or is not safe to use.
    HistoryUnreadable,
    // Another program holds the file's write lock and did not let go in time.
    WriterBusy,
    // Not a failure: the last write of the bank was cut short and the bank was put back as it
    // was before it, from restore point `point`.
    SaveInterrupted,
    // The last write of the bank was cut short and left it torn; the next write puts restore
    // point `point` back.
    SaveTorn,
    // Not a failure: the last write of the bank was cut short, but the bank was changed since
    // by something else; it was left as it is and the record removed. Restore point `point`
    // holds the bank from before that write.
    SaveRecordStale,
    // The record of a write under way, `detail`, cannot be read, is not safe to trust or is
    // damaged, as `file` says; no write goes on until it is mended or removed.
    RecordUnusable,
    // The record `detail` of a write that left the bank torn names restore point `point`,
    // which cannot be put back for the reason in `cause`.
    RecordPointUnusable,
};

// A failure with the facts that make its message useful. Fields that do not apply to the error
// stay at their defaults.
struct LevelFailure {
    LevelFailure(LevelError error = LevelError::ReadFailed, int level = 0,
                 std::int64_t fileByte = -1, FileStatus file = {})
        : error(error), level(level), fileByte(fileByte), file(std::move(file)) {}

    LevelError error;
    // Level number 1..99 the failure is about, or 0.
    int level;
    // File byte where the problem lies, or -1.
    std::int64_t fileByte;
    // For BankOverflow: how many bytes are missing.
    int missingBytes = 0;
    // For ReadFailed, WriteFailed and HistoryFailed: what the file layer said.
    FileStatus file;
    // For HistoryFailed and HistoryUnreadable: the history folder; for the point errors: the
    // point's id; for WriterBusy, SaveInterrupted and SaveTorn: the source file.
    std::string detail;
    // For SaveInterrupted, SaveTorn, SaveRecordStale and RecordPointUnusable: the restore point
    // that holds the bank before the write.
    std::int64_t point = 0;
    // For RecordPointUnusable: why the point cannot be put back.
    std::string cause;
};

// Words a failure for a user, in one sentence, the same in every window and command.
std::string DescribeLevelFailure(const LevelFailure& failure);

// Either a value or the level failure that prevented it.
template <typename T>
using LevelResult = Result<T, LevelFailure>;

}  // namespace morvane
