#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "fuzz_targets.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "leveldata/memory_file_system.h"
#include "sources/source_descriptor.h"
#include "sources/source_detector.h"

namespace morvane::fuzz {

namespace {

// Saving every level of every input would make each run slow; a few are enough to reach every
// branch of the save.
constexpr int kSavesPerInput = 6;

void Check(bool promise) {
    if (!promise) {
        std::abort();
    }
}

std::vector<std::optional<LevelMap>> ReadAll(ByteFile& file, const LevelLayout& layout) {
    std::vector<std::optional<LevelMap>> maps;
    if (!layout.hasBank) {
        const auto level = LoadLevelFromFile(file, layout, 0);
        maps.push_back(level.ok() ? std::optional(level.value().map) : std::nullopt);
        return maps;
    }
    // The bank is read once and every level decoded from it, as each load would.
    const auto bank = ReadBankFromFile(file, layout.dataOffset);
    for (int index = 0; index < layout.levelCount(); ++index) {
        const auto level = bank.ok() ? bank.value().readLevel(index) : bank.failure();
        maps.push_back(level.ok() ? std::optional(level.value().map) : std::nullopt);
    }
    return maps;
}

}  // namespace

void FuzzSource(std::span<const std::uint8_t> input) {
    auto data = std::make_shared<MemoryFileData>();
    data->bytes.assign(input.begin(), input.end());
    auto file = OpenMemoryFile(data, OpenMode::ReadWrite);

    const SourceKind kind = DetectSourceKind(*file);
    Check(int(kind) >= 0 && int(kind) <= 5);
    Check(data->bytesRead <= 16 && data->writes.empty());
    const auto layout = LayoutFor(kind, DescriptorFor(kind).dataOffset);
    if (!layout) {
        return;
    }
    data->lowestReadOffset.reset();
    auto maps = ReadAll(*file, *layout);
    Check(!data->lowestReadOffset || *data->lowestReadOffset >= layout->dataOffset);
    Check(data->writes.empty());
    if (!layout->hasBank) {
        return;
    }

    const std::int64_t bankStart = layout->dataOffset;
    const std::int64_t bankEnd = bankStart + LevelBank::kSize;
    int saves = 0;
    // The input's own bytes choose which cells to paint and with which tiles.
    std::size_t cursor = 0;
    const auto next = [&] { return input.empty() ? 0 : input[cursor++ % input.size()]; };
    for (int index = 0; index < LevelBank::kLevelCount && saves < kSavesPerInput; ++index) {
        const auto level = LoadLevelFromFile(*file, *layout, index);
        if (!level.ok()) {
            continue;
        }
        ++saves;
        LevelMap painted = level.value().map;
        const int paints = next() % 8;
        for (int paint = 0; paint < paints; ++paint) {
            painted.setCell((next() * 256 + next()) % LevelMap::kCellCount, next() % 64);
        }
        const std::vector<std::uint8_t> before = data->bytes;
        data->lowestReadOffset.reset();
        data->writes.clear();
        const auto saved =
            SaveLevelToFile(*file, *layout, index, painted, level.value().oldPackedLength,
                            level.value().levelOffset);
        Check(!data->lowestReadOffset || *data->lowestReadOffset >= bankStart);
        if (!saved.ok()) {
            Check(data->bytes == before);
            continue;
        }
        for (const auto& [offset, length] : data->writes) {
            Check(offset >= bankStart && offset + length <= bankEnd);
        }
        const auto& after = data->bytes;
        Check(std::int64_t(after.size()) ==
              std::max<std::int64_t>(std::int64_t(before.size()), bankEnd));
        Check(std::equal(before.begin(), before.begin() + bankStart, after.begin()));
        if (std::int64_t(before.size()) > bankEnd) {
            Check(std::equal(before.begin() + bankEnd, before.end(), after.begin() + bankEnd));
        }
        auto now = ReadAll(*file, *layout);
        for (int other = 0; other < LevelBank::kLevelCount; ++other) {
            if (other == index) {
                Check(now[std::size_t(other)] == painted);
            } else if (maps[std::size_t(other)]) {
                Check(now[std::size_t(other)] == maps[std::size_t(other)]);
            }
        }
        maps = std::move(now);
    }
}

}  // namespace morvane::fuzz
