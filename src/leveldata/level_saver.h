#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "leveldata/bank_history.h"
#include "leveldata/byte_file.h"
#include "leveldata/file_lock.h"
#include "leveldata/level_failure.h"
#include "leveldata/level_layout.h"
#include "leveldata/level_map.h"

namespace morvane {

// Rebuilds the bank around a new stream for level index (0..98), whose old stream of oldLength
// bytes starts levelOffset bytes into the data area. source holds the file's bytes from the
// bank start on, at least 16384 + levelOffset + oldLength of them. The result, always 16384
// bytes, is: table entries 0..index unchanged, later entries moved by the change in length,
// the data area's first levelOffset bytes unchanged, the new stream, then the bytes that
// followed the old stream, cut at the bank's end.
std::vector<std::uint8_t> RebuildBank(std::span<const std::uint8_t> source, int index,
                                      int levelOffset, int oldLength,
                                      std::span<const std::uint8_t> newStream);

// Packs map and saves it as level index of the bank in the open file, moving every later level
// and pointer. oldPackedLength and levelOffset describe the level's stream as it stands in the
// file now (as the last load or save left them). Returns the new stream's length, which becomes
// the level's oldPackedLength.
//
// The file is written only when the save can succeed: a save that would overflow the bank or
// change how any readable level reads is refused with the file untouched. The write lock is
// taken first (BeginBankWrite); all reads happen before the single 16384-byte write at the
// bank's start, which goes through WriteBankToFile's steps. Bytes
// outside the bank are never written; bytes past the end of the file read as zero.
LevelResult<std::uint8_t> SaveLevelToFile(ByteFile& file, const LevelLayout& layout, int index,
                                          const LevelMap& map, std::uint8_t oldPackedLength,
                                          std::int16_t levelOffset, const BankWriteNote& note = {});

// Begins a write of the bank at dataOffset: takes the file's write lock, which lock holds until
// it goes, waiting up to 10 seconds while another program writes (then fails with WriterBusy),
// and puts right a write of note's history that was cut short and left the bank torn, telling
// note.onPutBack. Every write of a bank starts here; the write functions below call it
// themselves, and a caller that reads the bank to build what it writes calls it first, so that
// the lock covers its reads too. Locks nest within one open file; a nested begin only nests
// the lock.
std::optional<LevelFailure> BeginBankWrite(ByteFile& file, std::int64_t dataOffset,
                                           const BankWriteNote& note, FileLock& lock);

// What the editor does when it opens a source: takes the lock, puts a bank torn by a write cut
// short back as its restore point holds it, and returns that point's id; nothing when there
// was nothing to put right.
LevelResult<std::optional<std::int64_t>> ResolveInterruptedSave(ByteFile& file,
                                                                std::int64_t dataOffset,
                                                                BankHistory& history);

// Without writing or locking: the restore point that the next write will put back because a
// write cut short left the bank torn, or nothing.
std::optional<std::int64_t> FindTornSave(ByteFile& file, std::int64_t dataOffset,
                                         BankHistory& history);

// The one way a bank is written. Begins the write (BeginBankWrite); makes note's restore point
// of the bank as it stands (a failure there is returned as HistoryFailed with nothing written)
// and records, flushed, that the write is under way; then writes the 16384-byte bank at
// dataOffset in one write, cuts the file to fileLength when that is given and ends inside the
// bank (a restored short bank file), flushes, reads the bank back and records that the write
// finished. If the write, the flush or the read-back fails, the previous bytes and the file's
// previous length are put back and the failure is returned; nothing is returned on success.
std::optional<LevelFailure> WriteBankToFile(ByteFile& file, std::int64_t dataOffset,
                                            std::span<const std::uint8_t> bank,
                                            const BankWriteNote& note = {},
                                            std::optional<std::int64_t> fileLength = {});

}  // namespace morvane
