#include "leveldata/bank_restorer.h"

#include "leveldata/level_bank.h"
#include "leveldata/level_saver.h"

namespace morvane {

std::optional<LevelFailure> RestoreBankFromHistory(ByteFile& file, const LevelLayout& layout,
                                                   const BankWriteOptions& note, std::int64_t id) {
    if (!layout.hasBank || !note.history) {
        return LevelFailure{LevelError::NotABank};
    }
    BankHistory& history = *note.history;
    // Nothing is settled or written before the point is known to be one of this file.
    BankWriteOptions checking = note;
    checking.restoring = true;
    FileLock lock(file);
    if (auto failure = BeginBankWrite(file, layout.dataOffset, checking, lock)) {
        return failure;
    }
    const auto point = history.read(id);
    if (!point.ok()) {
        return point.failure();
    }
    std::int64_t fileLength = 0;
    if (FileStatus status = file.size(fileLength); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, -1, status};
    }
    const RestorePoint& kept = point.value();
    const std::int64_t bankEnd = layout.dataOffset + LevelBank::kSize;
    const bool shortBank = kept.fileSize < bankEnd && fileLength <= bankEnd;
    if (kept.sourceKind != history.sourceKind() || kept.dataOffset != layout.dataOffset ||
        (kept.fileSize != fileLength && !shortBank)) {
        LevelFailure failure{LevelError::PointOfOtherFile};
        failure.detail = std::to_string(id);
        return failure;
    }
    BankWriteOptions restore = note;
    restore.what = "restore " + std::to_string(id);
    restore.restoring = true;
    return WriteBankToFile(file, layout.dataOffset, kept.bank, restore,
                           kept.fileSize < bankEnd ? std::optional(kept.fileSize) : std::nullopt);
}

}  // namespace morvane
