#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "leveldata/bank_history.h"
#include "leveldata/byte_file.h"
#include "leveldata/file_lock.h"
#include "leveldata/level_failure.h"

namespace morvane {

// How a write of a bank keeps what it replaces: a restore point in history, described by what.
// Without keepPoint (which the command line offers on request) the write keeps none; what its
// history's interrupted writes left is still settled first. Without a history there is
// neither. onRepair hears what settling an interrupted write did: SaveInterrupted when a torn
// bank was put back, SaveRecordStale when the bank had been changed since and was left alone.
struct BankWriteOptions {
    BankHistory* history = nullptr;
    std::string what;
    bool keepPoint = true;
    std::function<void(const LevelFailure& notice)> onRepair;
    // A restore chooses the bank itself: what an interrupted write left is not settled first
    // (the bank as it stands is kept as the restore's point), and its record goes with the
    // restore's own.
    bool restoring = false;
};

// Begins a write of the bank at dataOffset: takes the file's write lock, which lock holds until
// it goes, waiting up to 10 seconds while another program writes (then fails with WriterBusy),
// and settles an interrupted write of options' history, telling options.onRepair. A bank
// torn by it, each 4 KB page as before or after it, is kept as a restore point and the bank
// from before the write put back; a bank that anything else changed since is left as it is and
// the record removed; a record that cannot be used, or names a point that cannot be put back,
// fails the write (RecordUnusable, RecordPointUnusable) with nothing written. Every write of a bank
// starts here; WriteBankToFile calls it itself, and a caller that reads the bank to build what it
// writes calls it first, so that the lock covers its reads too. Locks nest within one open file; a
// nested begin only nests the lock.
std::optional<LevelFailure> BeginBankWrite(ByteFile& file, std::int64_t dataOffset,
                                           const BankWriteOptions& options, FileLock& lock);

// The one way a bank is written. Begins the write (BeginBankWrite); makes options' restore
// point of the bank as it stands (a failure there is returned as HistoryFailed with nothing
// written) and records, flushed, that the write is under way; then writes the 16384-byte bank
// at dataOffset in one write, cuts the file to fileLength when that is given and ends inside
// the bank (a restored short bank file), flushes, reads the bank back and records that the
// write finished. If the write, the flush or the read-back fails, the previous bytes and the
// file's previous length are put back and the failure is returned; nothing is returned on
// success.
std::optional<LevelFailure> WriteBankToFile(ByteFile& file, std::int64_t dataOffset,
                                            std::span<const std::uint8_t> bank,
                                            const BankWriteOptions& options = {},
                                            std::optional<std::int64_t> fileLength = {});

// What the editor does when it opens a source: takes the lock and settles an interrupted
// write as BeginBankWrite does, returning the notice for the user (SaveInterrupted or
// SaveRecordStale); nothing when there was nothing to settle.
LevelResult<std::optional<LevelFailure>> RepairInterruptedWrite(ByteFile& file,
                                                                std::int64_t dataOffset,
                                                                BankHistory& history);

// Without writing or locking: what the next write will find of an interrupted write. SaveTorn
// (it puts back restore point `point`), SaveRecordStale (it removes the record), a failure
// that will stop it (RecordUnusable, RecordPointUnusable, ReadFailed), or nothing.
std::optional<LevelFailure> FindInterruptedWrite(ByteFile& file, std::int64_t dataOffset,
                                                 BankHistory& history);

}  // namespace morvane
