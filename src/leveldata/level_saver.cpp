#include "leveldata/level_saver.h"

#include <algorithm>

#include "leveldata/level_bank.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_pointer.h"
#include "leveldata/save_space.h"

namespace morvane {

namespace {

constexpr int kTable = LevelBank::kTableSize;

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

LevelResult<SavedLevel> SaveLevelInBank(std::span<const std::uint8_t> source, std::int64_t base,
                                        int index, const LevelMap& map,
                                        std::uint8_t oldPackedLength, std::int16_t levelOffset) {
    const int number = index + 1;
    if (index < 0 || index >= LevelBank::kLevelCount) {
        return LevelFailure{LevelError::NoSuchLevel, number};
    }
    const int oldLength = oldPackedLength;
    if (levelOffset < 0 || oldLength < 1 || kTable + levelOffset + oldLength > LevelBank::kSize) {
        return LevelFailure{LevelError::BadLevelPlace, number};
    }
    // The bytes a rebuild reads, as a read of the file finds them.
    std::vector<std::uint8_t> padded(std::size_t(LevelBank::kSize + levelOffset + oldLength), 0);
    std::copy_n(source.begin(), std::min(source.size(), padded.size()), padded.begin());
    const LevelBank oldBank(source.first(std::min<std::size_t>(source.size(), LevelBank::kSize)),
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

    SavedLevel saved{RebuildBank(padded, index, levelOffset, oldLength, stream),
                     std::uint8_t(stream.size())};
    const LevelBank newBank(saved.bank, base);
    if (auto failure = CheckRebuiltBank(oldBank, newBank, index, map, int(stream.size()))) {
        return *failure;
    }
    return saved;
}

LevelResult<std::uint8_t> SaveLevelToFile(ByteFile& file, const LevelLayout& layout, int index,
                                          const LevelMap& map, std::uint8_t oldPackedLength,
                                          std::int16_t levelOffset,
                                          const BankWriteOptions& options) {
    const int number = index + 1;
    if (!layout.hasBank) {
        return LevelFailure{LevelError::NotABank, 0};
    }
    if (layout.dataOffset < 0) {
        return LevelFailure{LevelError::BadDataOffset};
    }
    const std::int64_t base = layout.dataOffset;
    FileLock lock(file);
    if (auto failure = BeginBankWrite(file, base, options, lock)) {
        return *failure;
    }
    std::vector<std::uint8_t> source(2 * LevelBank::kSize);
    std::size_t present = 0;
    if (FileStatus status = file.readAt(base, source, present); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, number, base, status};
    }
    source.resize(present);
    const auto saved = SaveLevelInBank(source, base, index, map, oldPackedLength, levelOffset);
    if (!saved.ok()) {
        return saved.failure();
    }
    if (auto failure = WriteBankToFile(file, base, saved.value().bank, options)) {
        failure->level = number;
        return *failure;
    }
    return saved.value().length;
}

}  // namespace morvane
