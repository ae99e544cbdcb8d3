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
// Without keepPoint (which the command line offers on request) the write keeps none; its
// history's interrupted writes are still repaired first. Without a history there is neither.
// onRepaired hears of an interrupted write that was repaired before this one, with the id of
// the restore point put back.
struct BankWriteOptions {
    BankHistory* history = nullptr;
    std::string what;
    bool keepPoint = true;
    std::function<void(std::int64_t pointId)> onRepaired;
};

// Begins a write of the bank at dataOffset: takes the file's write lock, which lock holds until
// it goes, waiting up to 10 seconds while another program writes (then fails with WriterBusy),
// and repairs an interrupted write of options' history that left the bank torn, telling
// options.onRepaired. Every write of a bank starts here; WriteBankToFile calls it itself, and a
// caller that reads the bank to build what it writes calls it first, so that the lock covers
// its reads too. Locks nest within one open file; a nested begin only nests the lock.
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

// What the editor does when it opens a source: takes the lock, repairs a bank torn by an
// interrupted write as its restore point holds it, and returns that point's id; nothing when
// there was nothing to repair.
LevelResult<std::optional<std::int64_t>> RepairInterruptedWrite(ByteFile& file,
                                                                std::int64_t dataOffset,
                                                                BankHistory& history);

// Without writing or locking: the restore point that the next write will put back because an
// interrupted write left the bank torn, or nothing.
std::optional<std::int64_t> FindInterruptedWrite(ByteFile& file, std::int64_t dataOffset,
                                                 BankHistory& history);

}  // namespace morvane
