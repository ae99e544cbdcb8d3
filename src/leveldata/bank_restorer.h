#pragma once

#include <optional>

#include "leveldata/bank_writer.h"
#include "leveldata/byte_file.h"
#include "leveldata/level_failure.h"
#include "leveldata/level_layout.h"

namespace morvane {

// Writes restore point id of note's history back as the bank of the open file, in one write
// through WriteBankToFile, under the file's lock. When note.keepPoint is set, the bank as it
// stands is kept as a point first ("restore <id>"), so the restore can be taken back too. Refused
// with the file untouched when the point does not exist (NoSuchPoint), does not match its checksum
// (PointDamaged), or was taken from a file of another kind, data offset or size (PointOfOtherFile).
// A point of a file that ended inside the bank may be restored over the same file grown to the
// bank's end by a save; the file is then cut back to its old length. A record of an interrupted
// write does not stop a restore, which is how the user chooses the bank then; the record goes.
std::optional<LevelFailure> RestoreBankFromHistory(ByteFile& file, const LevelLayout& layout,
                                                   const BankWriteOptions& note, std::int64_t id);

}  // namespace morvane
