#include "leveldata/level_saver.h"

#include <algorithm>
#include <chrono>

#include "leveldata/level_bank.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_pointer.h"
#include "leveldata/save_space.h"

namespace morvane {

namespace {

constexpr int kTable = LevelBank::kTableSize;

// How long a write waits for another writer of the same file to finish.
constexpr std::chrono::seconds kLockWait{10};

// The CRC-32 of a bank's bytes as a read from the file finds them: bytes past the file's end
// read as zero.
std::uint32_t BankStateChecksum(std::span<const std::uint8_t> present) {
    std::vector<std::uint8_t> padded(present.begin(), present.end());
    padded.resize(LevelBank::kSize, 0);
    return BankChecksum(padded);
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

// The restore point and the record of the write under way, then the write: oldBytes are the
// bank's bytes the file holds now. The caller holds the file's lock. A record left behind by a
// failed write is resolved by the next one.
std::optional<LevelFailure> WriteBank(ByteFile& file, std::int64_t base,
                                      std::span<const std::uint8_t> rebuilt,
                                      std::span<const std::uint8_t> oldBytes,
                                      std::int64_t oldFileLength, const BankWriteNote& note,
                                      std::optional<std::int64_t> newLength) {
    const bool recorded = note.history && note.keepPoint;
    if (recorded) {
        const auto id =
            note.history->beginWrite(oldBytes, base, oldFileLength, note.what,
                                     BankStateChecksum(KeptPart(rebuilt, base, newLength)));
        if (!id.ok()) {
            return id.failure();
        }
    }
    if (auto failure = ReplaceBank(file, base, rebuilt, oldBytes, oldFileLength, newLength)) {
        return failure;
    }
    if (recorded) {
        note.history->endWrite();
    }
    return std::nullopt;
}

// The restore point a write that was cut short must go back to, when it left the bank torn:
// matching neither the bank before nor the bank after the write. A write that finished, or
// never began, has its record removed when clear is set.
LevelResult<std::optional<std::int64_t>> TornWritePoint(ByteFile& file, std::int64_t base,
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
    const std::uint32_t now = BankChecksum(bank);
    if (now == record.value()->before || now == record.value()->after) {
        if (clear) {
            history.endWrite();
        }
        return none;
    }
    return std::optional(record.value()->pointId);
}

// Puts a torn bank back as its restore point holds it; the caller holds the file's lock. The
// record of this write names the same point with its bank as both before and after, so that
// this write, cut short in turn, is put right the same way.
LevelResult<std::optional<std::int64_t>> PutBackTornWrite(ByteFile& file, std::int64_t base,
                                                          BankHistory& history) {
    const auto torn = TornWritePoint(file, base, history, true);
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
    const std::uint32_t checksum = BankChecksum(kept.bank);
    if (auto failure = history.beginWrite({id, checksum, checksum})) {
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

// Every level readable in the old bank must read the same from the new one, and the saved
// level must read back as the new map at its old place.
std::optional<LevelFailure> CheckRebuiltBank(const LevelBank& oldBank, const LevelBank& newBank,
                                             int index, const LevelMap& map, int newLength) {
    for (int other = 0; other < LevelBank::kLevelCount; ++other) {
        const auto after = newBank.readLevel(other);
        if (other == index) {
            if (!after.ok() || after.value().map != map || after.value().length != newLength) {
                return LevelFailure{LevelError::LevelWouldChange, other + 1};
            }
            continue;
        }
        const auto before = oldBank.readLevel(other);
        if (before.ok() && (!after.ok() || after.value().map != before.value().map)) {
            return LevelFailure{LevelError::LevelWouldChange, other + 1};
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::uint8_t> RebuildBank(std::span<const std::uint8_t> source, int index,
                                      int levelOffset, int oldLength,
                                      std::span<const std::uint8_t> newStream) {
    const int delta = int(newStream.size()) - oldLength;
    std::vector<std::uint8_t> bank;
    bank.reserve(std::size_t(LevelBank::kSize + levelOffset + int(newStream.size())));
    bank.insert(bank.end(), source.begin(), source.begin() + 2 * (index + 1));
    for (int later = index + 1; later < LevelBank::kLevelCount; ++later) {
        const LevelPointer moved =
            LevelPointer{source[std::size_t(2 * later)], source[std::size_t(2 * later + 1)]}
                .movedBy(delta);
        bank.push_back(moved.low);
        bank.push_back(moved.high);
    }
    const auto before = source.subspan(kTable, std::size_t(levelOffset));
    bank.insert(bank.end(), before.begin(), before.end());
    bank.insert(bank.end(), newStream.begin(), newStream.end());
    // The tail is as long as the whole data area; only its first part survives the cut.
    const auto tail =
        source.subspan(std::size_t(kTable + levelOffset + oldLength), LevelBank::kDataAreaSize);
    bank.insert(bank.end(), tail.begin(), tail.end());
    bank.resize(LevelBank::kSize);
    return bank;
}

LevelResult<std::uint8_t> SaveLevelToFile(ByteFile& file, const LevelLayout& layout, int index,
                                          const LevelMap& map, std::uint8_t oldPackedLength,
                                          std::int16_t levelOffset, const BankWriteNote& note) {
    const int number = index + 1;
    if (!layout.hasBank) {
        return LevelFailure{LevelError::NotABank, 0};
    }
    if (index < 0 || index >= LevelBank::kLevelCount) {
        return LevelFailure{LevelError::NoSuchLevel, number};
    }
    if (layout.dataOffset < 0) {
        return LevelFailure{LevelError::BadDataOffset};
    }
    const std::int64_t base = layout.dataOffset;
    const int oldLength = oldPackedLength;
    if (levelOffset < 0 || oldLength < 1 || kTable + levelOffset + oldLength > LevelBank::kSize) {
        return LevelFailure{LevelError::BadLevelPlace, number};
    }

    FileLock lock(file);
    if (auto failure = BeginBankWrite(file, base, note, lock)) {
        return *failure;
    }
    std::int64_t oldFileLength = 0;
    if (FileStatus status = file.size(oldFileLength); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, number, -1, status};
    }
    std::vector<std::uint8_t> source(std::size_t(LevelBank::kSize + levelOffset + oldLength));
    std::size_t present = 0;
    if (FileStatus status = ReadZeroPadded(file, base, source, present); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, number, base, status};
    }
    const LevelBank oldBank(std::span<const std::uint8_t>(source).first(
                                std::min<std::size_t>(present, LevelBank::kSize)),
                            base);

    // The level's own entry must still point where its stream was loaded from.
    const auto oldLevel = oldBank.readLevel(index);
    if (!oldLevel.ok() || oldLevel.value().offset != kTable + levelOffset ||
        oldLevel.value().length != oldLength) {
        return LevelFailure{LevelError::BadLevelPlace, number};
    }

    const std::vector<std::uint8_t> stream = PackLevel(map);
    const auto space = MeasureSaveSpace(oldBank, index, int(stream.size()));
    if (!space.ok()) {
        return space.failure();
    }
    if (auto refusal = space.value().refusal()) {
        return *refusal;
    }

    const std::vector<std::uint8_t> rebuilt =
        RebuildBank(source, index, levelOffset, oldLength, stream);
    const LevelBank newBank(rebuilt, base);
    if (auto failure = CheckRebuiltBank(oldBank, newBank, index, map, int(stream.size()))) {
        return *failure;
    }

    if (auto failure =
            WriteBank(file, base, rebuilt, oldBank.bytes(), oldFileLength, note, std::nullopt)) {
        failure->level = number;
        return *failure;
    }
    return std::uint8_t(stream.size());
}

std::optional<LevelFailure> WriteBankToFile(ByteFile& file, std::int64_t dataOffset,
                                            std::span<const std::uint8_t> bank,
                                            const BankWriteNote& note,
                                            std::optional<std::int64_t> fileLength) {
    if (bank.size() != std::size_t(LevelBank::kSize) || dataOffset < 0) {
        return LevelFailure{LevelError::BadDataOffset};
    }
    FileLock lock(file);
    if (auto failure = BeginBankWrite(file, dataOffset, note, lock)) {
        return failure;
    }
    std::int64_t oldFileLength = 0;
    std::vector<std::uint8_t> oldBytes;
    if (auto failure = ReadBankAsItStands(file, dataOffset, oldFileLength, oldBytes)) {
        return failure;
    }
    return WriteBank(file, dataOffset, bank, oldBytes, oldFileLength, note, fileLength);
}

std::optional<LevelFailure> BeginBankWrite(ByteFile& file, std::int64_t dataOffset,
                                           const BankWriteNote& note, FileLock& lock) {
    // Within a write already begun (a batch save's final write, a restore's), the outer begin
    // has put right what there was to put right.
    const bool nested = file.isLocked();
    if (FileStatus status = lock.acquire(kLockWait); !status.ok()) {
        if (status.error != FileError::Locked) {
            return LevelFailure{LevelError::WriteFailed, 0, -1, status};
        }
        LevelFailure busy{LevelError::WriterBusy};
        busy.detail = note.history ? note.history->sourcePath() : "the file";
        return busy;
    }
    if (!note.history || nested) {
        return std::nullopt;
    }
    const auto putBack = PutBackTornWrite(file, dataOffset, *note.history);
    if (!putBack.ok()) {
        return putBack.failure();
    }
    if (putBack.value() && note.onPutBack) {
        note.onPutBack(*putBack.value());
    }
    return std::nullopt;
}

LevelResult<std::optional<std::int64_t>> ResolveInterruptedSave(ByteFile& file,
                                                                std::int64_t dataOffset,
                                                                BankHistory& history) {
    std::optional<std::int64_t> putBack;
    FileLock lock(file);
    const BankWriteNote note{&history, {}, false, [&](std::int64_t id) { putBack = id; }};
    if (auto failure = BeginBankWrite(file, dataOffset, note, lock)) {
        return *failure;
    }
    return putBack;
}

std::optional<std::int64_t> FindTornSave(ByteFile& file, std::int64_t dataOffset,
                                         BankHistory& history) {
    const auto torn = TornWritePoint(file, dataOffset, history, false);
    return torn.ok() ? torn.value() : std::nullopt;
}

}  // namespace morvane
