#include "leveldata/level_saver.h"

#include <algorithm>

#include "leveldata/level_bank.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_pointer.h"
#include "leveldata/save_space.h"

namespace morvane {

namespace {

constexpr int kTable = LevelBank::kTableSize;

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
    const std::int64_t bankEnd = base + std::int64_t(rebuilt.size());
    const bool cut = newLength && *newLength >= base && *newLength < bankEnd;
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
    const auto kept = rebuilt.first(cut ? std::size_t(*newLength - base) : rebuilt.size());
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

// The restore point, then the write: oldBytes are the bank's bytes the file holds now.
std::optional<LevelFailure> WriteBank(ByteFile& file, std::int64_t base,
                                      std::span<const std::uint8_t> rebuilt,
                                      std::span<const std::uint8_t> oldBytes,
                                      std::int64_t oldFileLength, const BankWriteNote& note,
                                      std::optional<std::int64_t> newLength) {
    if (note.history) {
        if (auto failure = note.history->record(oldBytes, base, oldFileLength, note.what)) {
            return failure;
        }
    }
    return ReplaceBank(file, base, rebuilt, oldBytes, oldFileLength, newLength);
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
    std::int64_t oldFileLength = 0;
    if (FileStatus status = file.size(oldFileLength); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, -1, status};
    }
    std::vector<std::uint8_t> oldBytes(LevelBank::kSize);
    std::size_t present = 0;
    if (FileStatus status = file.readAt(dataOffset, oldBytes, present); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, dataOffset, status};
    }
    oldBytes.resize(present);
    return WriteBank(file, dataOffset, bank, oldBytes, oldFileLength, note, fileLength);
}

}  // namespace morvane
