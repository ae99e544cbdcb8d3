#include "leveldata/batch_save.h"

#include <algorithm>

#include "leveldata/level_bank.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "leveldata/memory_file_system.h"

namespace morvane {

namespace {

std::optional<int> FreeBytes(ByteFile& file) {
    const auto bank = ReadBankFromFile(file, 0);
    return bank.ok() ? bank.value().freeBytes() : std::nullopt;
}

}  // namespace

LevelResult<BatchResult> SaveLevelsInFile(ByteFile& file, const LevelLayout& layout,
                                          std::vector<LevelChange> changes,
                                          const BankWriteNote& note) {
    if (!layout.hasBank) {
        return LevelFailure{LevelError::NotABank};
    }
    if (layout.dataOffset < 0) {
        return LevelFailure{LevelError::BadDataOffset};
    }
    FileLock lock(file);
    if (auto failure = BeginBankWrite(file, layout.dataOffset, note, lock)) {
        return *failure;
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // Every save reads at most 16384 + 16186 + 224 bytes from the bank's start; a copy of two
    // banks' worth, cut where the file ends, behaves exactly like the file.
    auto copy = std::make_shared<MemoryFileData>();
    copy->bytes.resize(2 * LevelBank::kSize);
    std::size_t present = 0;
    if (FileStatus status = file.readAt(layout.dataOffset, copy->bytes, present); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, layout.dataOffset, status};
    }
    copy->bytes.resize(present);
    const std::vector<std::uint8_t> original = copy->bytes;
    const auto scratch = OpenMemoryFile(copy, OpenMode::ReadWrite);
    const LevelLayout inCopy{0, true};

    const auto freeBefore = FreeBytes(*scratch);
    for (const auto& [index, map] : changes) {
        const auto level = LoadLevelFromFile(*scratch, inCopy, index);
        if (!level.ok()) {
            return level.failure();
        }
        const auto saved = SaveLevelToFile(
            *scratch, inCopy, index, map, level.value().oldPackedLength, level.value().levelOffset);
        if (!saved.ok()) {
            return saved.failure();
        }
    }
    const auto freeAfter = FreeBytes(*scratch);
    const std::span<const std::uint8_t> bank(copy->bytes.data(), LevelBank::kSize);
    // A file that holds the whole bank already holding these bytes needs no write.
    if (original.size() >= bank.size() && std::equal(bank.begin(), bank.end(), original.begin())) {
        return BatchResult{freeBefore, freeAfter, false};
    }
    if (auto failure = WriteBankToFile(file, layout.dataOffset, bank, note)) {
        return *failure;
    }
    return BatchResult{freeBefore, freeAfter};
}

LevelResult<std::vector<LevelMap>> ReadAllMaps(ByteFile& file, const LevelLayout& layout) {
    if (!layout.hasBank) {
        return LevelFailure{LevelError::NotABank};
    }
    const auto bank = ReadBankFromFile(file, layout.dataOffset);
    if (!bank.ok()) {
        return bank.failure();
    }
    std::vector<LevelMap> maps;
    for (int index = 0; index < LevelBank::kLevelCount; ++index) {
        const auto level = bank.value().readLevel(index);
        if (!level.ok()) {
            return level.failure();
        }
        maps.push_back(level.value().map);
    }
    return maps;
}

LevelResult<BatchResult> RepackBankInFile(ByteFile& file, const LevelLayout& layout,
                                          const BankWriteNote& note) {
    if (!layout.hasBank) {
        return LevelFailure{LevelError::NotABank};
    }
    FileLock lock(file);
    if (auto failure = BeginBankWrite(file, layout.dataOffset, note, lock)) {
        return *failure;
    }
    const auto maps = ReadAllMaps(file, layout);
    if (!maps.ok()) {
        return maps.failure();
    }
    std::vector<LevelChange> changes;
    for (int index = 0; index < LevelBank::kLevelCount; ++index) {
        changes.emplace_back(index, maps.value()[std::size_t(index)]);
    }
    return SaveLevelsInFile(file, layout, std::move(changes), note);
}

}  // namespace morvane
