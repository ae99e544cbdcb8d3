#include "leveldata/bank_repacker.h"

#include "leveldata/level_bank.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "leveldata/memory_file_system.h"

namespace morvane {

namespace {

LevelResult<int> FreeBytes(ByteFile& file) {
    const auto bank = ReadBankFromFile(file, 0);
    if (!bank.ok()) {
        return bank.failure();
    }
    const auto used = bank.value().usedBytes();
    if (!used.ok()) {
        return used.failure();
    }
    return LevelBank::kSize - used.value();
}

}  // namespace

LevelResult<RepackResult> RepackBankInFile(ByteFile& file, const LevelLayout& layout,
                                           const BankWriteNote& note) {
    if (!layout.hasBank) {
        return LevelFailure{LevelError::NotABank};
    }
    if (layout.dataOffset < 0) {
        return LevelFailure{LevelError::BadDataOffset};
    }
    // Every save reads at most 16384 + 16186 + 224 bytes from the bank's start; a copy of two
    // banks' worth, cut where the file ends, behaves exactly like the file.
    auto copy = std::make_shared<MemoryFileData>();
    copy->bytes.resize(2 * LevelBank::kSize);
    std::size_t present = 0;
    if (FileStatus status = file.readAt(layout.dataOffset, copy->bytes, present); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, layout.dataOffset, status};
    }
    copy->bytes.resize(present);
    const auto scratch = OpenMemoryFile(copy, OpenMode::ReadWrite);
    const LevelLayout inCopy{0, true};

    const auto freeBefore = FreeBytes(*scratch);
    if (!freeBefore.ok()) {
        return freeBefore.failure();
    }
    for (int index = 0; index < LevelBank::kLevelCount; ++index) {
        const auto level = LoadLevelFromFile(*scratch, inCopy, index);
        if (!level.ok()) {
            return level.failure();
        }
        const auto saved =
            SaveLevelToFile(*scratch, inCopy, index, level.value().map,
                            level.value().oldPackedLength, level.value().levelOffset);
        if (!saved.ok()) {
            return saved.failure();
        }
    }
    const auto freeAfter = FreeBytes(*scratch);
    if (!freeAfter.ok()) {
        return freeAfter.failure();
    }
    const std::span<const std::uint8_t> bank(copy->bytes.data(), LevelBank::kSize);
    if (auto failure = WriteBankToFile(file, layout.dataOffset, bank, note)) {
        return *failure;
    }
    return RepackResult{freeBefore.value(), freeAfter.value()};
}

}  // namespace morvane
