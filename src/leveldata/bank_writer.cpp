#include "leveldata/bank_writer.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "leveldata/level_bank.h"

namespace morvane {

namespace {

// How long a write waits for another writer of the same file to finish.
constexpr std::chrono::seconds kLockWait{10};

// The CRC-32 of a bank's bytes as a read from the file finds them: bytes past the file's end
// read as zero.
std::uint32_t BankStateChecksum(std::span<const std::uint8_t> present) {
    std::vector<std::uint8_t> padded(present.begin(), present.end());
    padded.resize(LevelBank::kSize, 0);
    return Crc32(padded);
}

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

// The restore point of an interrupted write that left the bank torn: matching neither the bank
// before nor the bank after the write. The record of a write that finished, or never began, is
// removed when clear is set.
LevelResult<std::optional<std::int64_t>> InterruptedWritePoint(ByteFile& file, std::int64_t base,
                                                               BankHistory& history, bool clear) {
    const auto record = history.unfinishedWrite();
    if (!record.ok()) {
        return record.failure();
    }
    const std::optional<std::int64_t> none;
    if (!record.value()) {
        return none;
    }
    std::vector<std::uint8_t> bank(LevelBank::kSize);
    std::size_t present = 0;
    if (FileStatus status = ReadZeroPadded(file, base, bank, present); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, base, status};
    }
    const std::uint32_t now = Crc32(bank);
    if (now == record.value()->before || now == record.value()->after) {
        if (clear) {
            history.endWrite();
        }
        return none;
    }
    return std::optional(record.value()->pointId);
}

// Puts a bank torn by an interrupted write back as its restore point holds it; the caller holds
// the file's lock. The record of this write names the same point with its bank as both before
// and after, so that this write, interrupted in turn, is repaired the same way.
LevelResult<std::optional<std::int64_t>> PutBackInterruptedWrite(ByteFile& file, std::int64_t base,
                                                                 BankHistory& history) {
    const auto torn = InterruptedWritePoint(file, base, history, true);
    if (!torn.ok() || !torn.value()) {
        return torn;
    }
    const std::int64_t id = *torn.value();
    const auto point = history.read(id);
    if (!point.ok()) {
        return point.failure();
    }
    std::int64_t fileLength = 0;
    std::vector<std::uint8_t> current;
    if (auto failure = ReadBankAsItStands(file, base, fileLength, current)) {
        return *failure;
    }
    const RestorePoint& kept = point.value();
    const std::uint32_t checksum = Crc32(kept.bank);
    if (auto failure = history.recordWrite({id, checksum, checksum})) {
        return *failure;
    }
    const std::int64_t bankEnd = base + LevelBank::kSize;
    if (auto failure =
            ReplaceBank(file, base, kept.bank, current, fileLength,
                        kept.fileSize < bankEnd ? std::optional(kept.fileSize) : std::nullopt)) {
        return *failure;
    }
    history.endWrite();
    return torn;
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
    if (!options.history || nested) {
        return std::nullopt;
    }
    const auto repaired = PutBackInterruptedWrite(file, dataOffset, *options.history);
    if (!repaired.ok()) {
        return repaired.failure();
    }
    if (repaired.value() && options.onRepaired) {
        options.onRepaired(*repaired.value());
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
    // by a failed write is resolved by the next one.
    const bool recorded = options.history && options.keepPoint;
    if (recorded) {
        const auto id =
            options.history->beginWrite(oldBytes, dataOffset, oldFileLength, options.what,
                                        BankStateChecksum(KeptPart(bank, dataOffset, fileLength)));
        if (!id.ok()) {
            return id.failure();
        }
    }
    if (auto failure = ReplaceBank(file, dataOffset, bank, oldBytes, oldFileLength, fileLength)) {
        return failure;
    }
    if (recorded) {
        options.history->endWrite();
    }
    return std::nullopt;
}

LevelResult<std::optional<std::int64_t>> RepairInterruptedWrite(ByteFile& file,
                                                                std::int64_t dataOffset,
                                                                BankHistory& history) {
    std::optional<std::int64_t> repaired;
    FileLock lock(file);
    const BankWriteOptions options{&history, {}, false, [&](std::int64_t id) { repaired = id; }};
    if (auto failure = BeginBankWrite(file, dataOffset, options, lock)) {
        return *failure;
    }
    return repaired;
}

std::optional<std::int64_t> FindInterruptedWrite(ByteFile& file, std::int64_t dataOffset,
                                                 BankHistory& history) {
    const auto torn = InterruptedWritePoint(file, dataOffset, history, false);
    return torn.ok() ? torn.value() : std::nullopt;
}

}  // namespace morvane
