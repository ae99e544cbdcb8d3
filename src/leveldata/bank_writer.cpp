#include "leveldata/bank_writer.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <vector>

#include "leveldata/crc32.h"
#include "leveldata/level_bank.h"

namespace morvane {

namespace {

// How long a write waits for another writer of the same file to finish.
constexpr std::chrono::seconds kLockWait{10};

// The part of a new bank the file keeps when it is cut to newLength inside the bank.
std::span<const std::uint8_t> KeptPart(std::span<const std::uint8_t> bank, std::int64_t base,
                                       std::optional<std::int64_t> newLength) {
    const std::int64_t bankEnd = base + std::int64_t(bank.size());
    const bool cut = newLength && *newLength >= base && *newLength < bankEnd;
    return bank.first(cut ? std::size_t(*newLength - base) : bank.size());
}

// Puts the bank's previous bytes and the file's previous length back after a failed write.
void RestoreBank(ByteFile& file, std::int64_t dataOffset, std::span<const std::uint8_t> oldBank,
                 std::int64_t oldFileLength) {
    file.writeAt(dataOffset, oldBank);
    if (oldFileLength < dataOffset + LevelBank::kSize) {
        file.truncate(oldFileLength);
    }
    file.flush();
}

// Writes the new bank over the old one, cuts the file to newLength when that ends inside the
// bank, flushes and reads the bank back. On any failure the old bytes and the file's old length
// are put back.
std::optional<LevelFailure> ReplaceBank(ByteFile& file, std::int64_t base,
                                        std::span<const std::uint8_t> rebuilt,
                                        std::span<const std::uint8_t> oldBytes,
                                        std::int64_t oldFileLength,
                                        std::optional<std::int64_t> newLength) {
    const auto kept = KeptPart(rebuilt, base, newLength);
    const bool cut = kept.size() < rebuilt.size();
    FileStatus status = file.writeAt(base, rebuilt);
    if (status.ok() && cut) {
        status = file.truncate(*newLength);
    }
    if (status.ok()) {
        status = file.flush();
    }
    if (!status.ok()) {
        RestoreBank(file, base, oldBytes, oldFileLength);
        return LevelFailure{LevelError::WriteFailed, 0, base, status};
    }
    std::vector<std::uint8_t> written(kept.size());
    std::size_t readBack = 0;
    status = file.readAt(base, written, readBack);
    if (!status.ok() || readBack != written.size() ||
        !std::equal(written.begin(), written.end(), kept.begin())) {
        RestoreBank(file, base, oldBytes, oldFileLength);
        return LevelFailure{LevelError::VerifyFailed, 0, base, status};
    }
    return std::nullopt;
}

// The file's length and the bytes it holds of the bank at base (fewer than 16384 when it ends
// inside the bank), as a write replaces them.
std::optional<LevelFailure> ReadBankAsItStands(ByteFile& file, std::int64_t base,
                                               std::int64_t& fileLength,
                                               std::vector<std::uint8_t>& bytes) {
    if (FileStatus status = file.size(fileLength); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, -1, status};
    }
    bytes.resize(LevelBank::kSize);
    std::size_t present = 0;
    if (FileStatus status = file.readAt(base, bytes, present); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, base, status};
    }
    bytes.resize(present);
    return std::nullopt;
}

// The record of a write from the bank before to the bank after, each as a read of the file
// finds it (bytes past the file's end read as zero), naming restore point pointId.
UnfinishedWrite RecordOf(const BankHistory& history, std::int64_t pointId,
                         std::span<const std::uint8_t> before,
                         std::span<const std::uint8_t> after) {
    std::vector<std::uint8_t> from(before.begin(), before.end()), to(after.begin(), after.end());
    from.resize(LevelBank::kSize, 0);
    to.resize(LevelBank::kSize, 0);
    return {history.fileName(),  pointId,          Crc32(from), Crc32(to),
            PageChecksums(from), PageChecksums(to)};
}

// What an interrupted write left, as the next write finds the bank.
struct Interruption {
    enum class State {
        None,     // no record, or a record of another file
        Done,     // the bank is all before or all after the write: the record can go
        Torn,     // each page is before or after the write: the write tore the bank
        Changed,  // something else wrote the bank since: it stays as it is
    };
    State state = State::None;
    UnfinishedWrite record;
};

LevelResult<Interruption> FindInterruption(ByteFile& file, std::int64_t base,
                                           BankHistory& history) {
    const auto record = history.unfinishedWrite();
    if (!record.ok()) {
        return record.failure();
    }
    Interruption found;
    if (!record.value() ||
        (!record.value()->file.empty() && record.value()->file != history.fileName())) {
        return found;
    }
    found.record = *record.value();
    std::vector<std::uint8_t> bank(LevelBank::kSize);
    std::size_t present = 0;
    if (FileStatus status = ReadZeroPadded(file, base, bank, present); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, base, status};
    }
    const std::uint32_t now = Crc32(bank);
    const UnfinishedWrite& write = found.record;
    if (now == write.before || now == write.after) {
        found.state = Interruption::State::Done;
        return found;
    }
    found.state = Interruption::State::Changed;
    if (write.beforePages && write.afterPages) {
        const auto pages = PageChecksums(bank);
        bool torn = true;
        for (std::size_t page = 0; page < pages.size(); ++page) {
            torn = torn && (pages[page] == (*write.beforePages)[page] ||
                            pages[page] == (*write.afterPages)[page]);
        }
        if (torn) {
            found.state = Interruption::State::Torn;
        }
    }
    return found;
}

// The restore point a repair puts back, checked to be of this file.
LevelResult<RestorePoint> PointToPutBack(BankHistory& history, const Interruption& found,
                                         std::int64_t base) {
    auto point = history.read(found.record.pointId);
    std::optional<LevelFailure> why;
    if (!point.ok()) {
        why = point.failure();
    } else if (point.value().sourceKind != history.sourceKind() ||
               point.value().dataOffset != base) {
        why = LevelFailure{LevelError::PointOfOtherFile};
        why->detail = std::to_string(found.record.pointId);
    }
    if (!why) {
        return point;
    }
    LevelFailure failure{LevelError::RecordPointUnusable};
    failure.detail = history.recordPath();
    failure.point = found.record.pointId;
    std::string cause = DescribeLevelFailure(*why);
    cause[0] = char(std::tolower(static_cast<unsigned char>(cause[0])));
    failure.cause = cause.substr(0, cause.size() - 1);
    return failure;
}

// Settles what an interrupted write left; the caller holds the file's lock. A torn bank is
// kept as a restore point of its own and the record's point put back, under a record that
// names the same point, so that a repair interrupted in turn is repaired the same way. A bank
// that something else wrote since is left as it is. Returns the notice for the user, if any.
LevelResult<std::optional<LevelFailure>> SettleInterruption(ByteFile& file, std::int64_t base,
                                                            BankHistory& history) {
    const auto found = FindInterruption(file, base, history);
    const std::optional<LevelFailure> quiet;
    if (!found.ok()) {
        return found.failure();
    }
    const Interruption& interruption = found.value();
    LevelFailure notice{LevelError::SaveRecordStale};
    notice.detail = history.sourcePath();
    notice.point = interruption.record.pointId;
    switch (interruption.state) {
        case Interruption::State::None:
            return quiet;
        case Interruption::State::Done:
            history.endWrite();
            return quiet;
        case Interruption::State::Changed:
            history.endWrite();
            return std::optional(notice);
        case Interruption::State::Torn:
            break;
    }
    const auto point = PointToPutBack(history, interruption, base);
    if (!point.ok()) {
        return point.failure();
    }
    std::int64_t fileLength = 0;
    std::vector<std::uint8_t> torn;
    if (auto failure = ReadBankAsItStands(file, base, fileLength, torn)) {
        return *failure;
    }
    const RestorePoint& kept = point.value();
    const UnfinishedWrite record = RecordOf(history, kept.id, torn, kept.bank);
    const auto keptTorn = history.keepPoint(torn, base, fileLength, "bank torn by a save");
    if (!keptTorn.ok()) {
        return keptTorn.failure();
    }
    if (auto failure = history.recordWrite(record)) {
        return *failure;
    }
    const std::int64_t bankEnd = base + LevelBank::kSize;
    if (auto failure =
            ReplaceBank(file, base, kept.bank, torn, fileLength,
                        kept.fileSize < bankEnd ? std::optional(kept.fileSize) : std::nullopt)) {
        return *failure;
    }
    history.endWrite();
    notice.error = LevelError::SaveInterrupted;
    return std::optional(notice);
}

}  // namespace

std::optional<LevelFailure> BeginBankWrite(ByteFile& file, std::int64_t dataOffset,
                                           const BankWriteOptions& options, FileLock& lock) {
    // Within a write already begun (a batch save's final write, a restore's), the outer begin
    // has repaired what there was to repair.
    const bool nested = file.isLocked();
    if (FileStatus status = lock.acquire(kLockWait); !status.ok()) {
        if (status.error != FileError::Locked) {
            return LevelFailure{LevelError::WriteFailed, 0, -1, status};
        }
        LevelFailure busy{LevelError::WriterBusy};
        busy.detail = options.history ? options.history->sourcePath() : "the file";
        return busy;
    }
    if (!options.history || nested || options.restoring) {
        return std::nullopt;
    }
    const auto settled = SettleInterruption(file, dataOffset, *options.history);
    if (!settled.ok()) {
        return settled.failure();
    }
    if (settled.value() && options.onRepair) {
        options.onRepair(*settled.value());
    }
    return std::nullopt;
}

std::optional<LevelFailure> WriteBankToFile(ByteFile& file, std::int64_t dataOffset,
                                            std::span<const std::uint8_t> bank,
                                            const BankWriteOptions& options,
                                            std::optional<std::int64_t> fileLength) {
    if (bank.size() != std::size_t(LevelBank::kSize) || dataOffset < 0) {
        return LevelFailure{LevelError::BadDataOffset};
    }
    FileLock lock(file);
    if (auto failure = BeginBankWrite(file, dataOffset, options, lock)) {
        return failure;
    }
    std::int64_t oldFileLength = 0;
    std::vector<std::uint8_t> oldBytes;
    if (auto failure = ReadBankAsItStands(file, dataOffset, oldFileLength, oldBytes)) {
        return failure;
    }
    // The restore point and the record of the write under way come first; a record left behind
    // by a failed write is settled by the next one.
    const bool recorded = options.history && options.keepPoint;
    if (recorded) {
        const UnfinishedWrite record =
            RecordOf(*options.history, 0, oldBytes, KeptPart(bank, dataOffset, fileLength));
        const auto id =
            options.history->keepPoint(oldBytes, dataOffset, oldFileLength, options.what, record);
        if (!id.ok()) {
            return id.failure();
        }
    }
    if (auto failure = ReplaceBank(file, dataOffset, bank, oldBytes, oldFileLength, fileLength)) {
        return failure;
    }
    if (recorded || options.restoring) {
        options.history->endWrite();
    }
    return std::nullopt;
}

LevelResult<std::optional<LevelFailure>> RepairInterruptedWrite(ByteFile& file,
                                                                std::int64_t dataOffset,
                                                                BankHistory& history) {
    std::optional<LevelFailure> notice;
    FileLock lock(file);
    const BankWriteOptions options{
        &history, {}, false, [&](const LevelFailure& told) { notice = told; }};
    if (auto failure = BeginBankWrite(file, dataOffset, options, lock)) {
        return *failure;
    }
    return notice;
}

std::optional<LevelFailure> FindInterruptedWrite(ByteFile& file, std::int64_t dataOffset,
                                                 BankHistory& history) {
    const auto found = FindInterruption(file, dataOffset, history);
    if (!found.ok()) {
        return found.failure();
    }
    LevelFailure notice{LevelError::SaveTorn};
    notice.detail = history.sourcePath();
    notice.point = found.value().record.pointId;
    switch (found.value().state) {
        case Interruption::State::None:
        case Interruption::State::Done:
            return std::nullopt;
        case Interruption::State::Changed:
            notice.error = LevelError::SaveRecordStale;
            return notice;
        case Interruption::State::Torn:
            break;
    }
    const auto point = PointToPutBack(history, found.value(), dataOffset);
    return point.ok() ? notice : point.failure();
}

}  // namespace morvane
