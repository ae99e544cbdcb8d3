#include "leveldata/batch_save.h"

#include <algorithm>

#include "leveldata/level_bank.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"

namespace morvane {

namespace {

std::optional<int> FreeBytes(std::span<const std::uint8_t> bytes, std::int64_t base) {
    return LevelBank(bytes.first(std::min<std::size_t>(bytes.size(), LevelBank::kSize)), base)
        .freeBytes();
}

}  // namespace

LevelResult<BatchResult> SaveLevelsInFile(ByteFile& file, const LevelLayout& layout,
                                          std::vector<LevelChange> changes,
                                          const BankWriteOptions& options) {
    if (!layout.hasBank) {
        return LevelFailure{LevelError::NotABank};
    }
    if (layout.dataOffset < 0) {
        return LevelFailure{LevelError::BadDataOffset};
    }
    const std::int64_t base = layout.dataOffset;
    FileLock lock(file);
    if (auto failure = BeginBankWrite(file, base, options, lock)) {
        return *failure;
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // Every save reads at most 16384 + 16186 + 224 bytes from the bank's start; two banks'
    // worth, cut where the file ends, is all the saves can see of the file.
    std::vector<std::uint8_t> bytes(2 * LevelBank::kSize);
    std::size_t present = 0;
    if (FileStatus status = file.readAt(base, bytes, present); !status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, base, status};
    }
    bytes.resize(present);
    const std::vector<std::uint8_t> original = bytes;

    const auto freeBefore = FreeBytes(bytes, base);
    for (const auto& [index, map] : changes) {
        // A number outside 1 to 99 is refused here as NoSuchLevel.
        const auto level =
            LevelBank(std::span(bytes).first(std::min<std::size_t>(bytes.size(), LevelBank::kSize)),
                      base)
                .readLevel(index);
        if (!level.ok()) {
            return level.failure();
        }
        const auto saved =
            SaveLevelInBank(bytes, base, index, map, std::uint8_t(level.value().length),
                            std::int16_t(level.value().offset - LevelBank::kTableSize));
        if (!saved.ok()) {
            return saved.failure();
        }
        // A file that ends inside the bank grows to hold the whole bank.
        bytes.resize(std::max<std::size_t>(bytes.size(), LevelBank::kSize));
        std::copy(saved.value().bank.begin(), saved.value().bank.end(), bytes.begin());
    }
    const auto freeAfter = FreeBytes(bytes, base);
    const std::span<const std::uint8_t> bank(bytes.data(), LevelBank::kSize);
    // A file that holds the whole bank already holding these bytes needs no write.
    if (original.size() >= bank.size() && std::equal(bank.begin(), bank.end(), original.begin())) {
        return BatchResult{freeBefore, freeAfter, false};
    }
    if (auto failure = WriteBankToFile(file, base, bank, options)) {
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
                                          const BankWriteOptions& options) {
    if (!layout.hasBank) {
        return LevelFailure{LevelError::NotABank};
    }
    FileLock lock(file);
    if (auto failure = BeginBankWrite(file, layout.dataOffset, options, lock)) {
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
    return SaveLevelsInFile(file, layout, std::move(changes), options);
}

}  // namespace morvane
