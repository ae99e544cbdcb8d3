#include "leveldata/bank_restorer.h"

#include "leveldata/level_bank.h"
#include "leveldata/level_saver.h"

namespace morvane {

std::optional<LevelFailure> RestoreBankFromHistory(ByteFile& file, const LevelLayout& layout,
                                                   BankHistory& history, int id, bool keepPoint) {
    if (!layout.hasBank) {
        return LevelFailure{LevelError::NotABank};
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
    BankWriteNote note;
    if (keepPoint) {
        note = {&history, "restore " + std::to_string(id)};
    }
    return WriteBankToFile(file, layout.dataOffset, kept.bank, note,
                           kept.fileSize < bankEnd ? std::optional(kept.fileSize) : std::nullopt);
}

}  // namespace morvane
