#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "demo_levels.h"
#include "fuzz_targets.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "memory_file_system.h"
#include "sources/source_descriptor.h"
#include "sources/source_detector.h"

namespace morvane::fuzz {

namespace {
constexpr int kWrapperCount = 5;

// True when no read since the record was cleared started before offset.
bool NothingReadBefore(const MemoryFileData& data, std::int64_t offset) {
    return !data.lowestReadOffset || *data.lowestReadOffset >= offset;
}

// Lays the file out in data.bytes and returns the bytes it must keep outside its level data.
// The fixed bytes of a wrapper (a cartridge's filler and header, a savestate's) stay from the
// previous input of the same wrapper, since the checks abort on any change to them.
std::span<const std::uint8_t> BuildFile(MemoryFileData& data, SourceKind wrapper,
                                        std::span<const std::uint8_t> payload) {
    static const std::array<std::vector<std::uint8_t>, kWrapperCount> patterns = {
        demo::MakeCartridge({}, SourceKind::UeRom),
        demo::MakeCartridge({}, SourceKind::JRom),
        {},
        demo::MakeSavestate(LevelMap()),
        std::vector<std::uint8_t>(LevelMap::kCellCount, 0)};
    static SourceKind lastWrapper = SourceKind::Unknown;
    const auto& pattern = patterns[std::size_t(wrapper)];
    if (pattern.empty()) {  // an extracted bank is its data alone
        lastWrapper = wrapper;
        data.bytes.assign(payload.begin(), payload.end());
        return payload;
    }
    if (std::exchange(lastWrapper, wrapper) != wrapper || data.bytes.size() != pattern.size()) {
        data.bytes = pattern;
    }
    const auto layout = *LayoutFor(wrapper, DescriptorFor(wrapper).dataOffset);
    const auto start = std::size_t(layout.dataOffset);
    const std::size_t region = layout.hasBank ? LevelBank::kSize : LevelMap::kCellCount;
    const std::size_t used = std::min(region, payload.size());
    std::copy_n(payload.begin(), used, data.bytes.begin() + std::ptrdiff_t(start));
    std::copy_n(pattern.begin() + std::ptrdiff_t(start + used), region - used,
                data.bytes.begin() + std::ptrdiff_t(start + used));
    return pattern;
}

// The bytes the decoder may look at for level index: at most 224 from where its entry points,
// within the bank's present bytes; nothing when its place alone makes it unreadable.
std::optional<std::span<const std::uint8_t>> StreamWindow(const LevelBank& bank, int index) {
    const auto bytes = bank.bytes();
    if (2 * index + 2 > int(bytes.size()) || !bank.pointer(index).pointsIntoDataArea() ||
        bank.pointer(index).offset() >= int(bytes.size())) {
        return std::nullopt;
    }
    const auto window = bytes.subspan(std::size_t(bank.pointer(index).offset()));
    return window.first(std::min<std::size_t>(window.size(), LevelMap::kCellCount));
}

// Every level but `saved` that reads from `before` reads the same from `after`. A level whose
// window of bytes is equal in both banks needs no decoding: the decoder sees nothing else.
void CheckOthersRead(const LevelBank& before, const LevelBank& after, int saved) {
    for (int index = 0; index < LevelBank::kLevelCount; ++index) {
        const auto old = StreamWindow(before, index);
        const auto now = StreamWindow(after, index);
        if (index == saved || (old && now && std::ranges::equal(*old, *now))) {
            continue;
        }
        const auto oldLevel = before.readLevel(index);
        const auto newLevel = after.readLevel(index);
        Check(!oldLevel.ok() || (newLevel.ok() && newLevel.value().map == oldLevel.value().map));
    }
}

}  // namespace

void FuzzSource(std::span<const std::uint8_t> input) {
    if (input.empty()) {
        return;
    }
    static const auto data = std::make_shared<MemoryFileData>();
    const auto wrapper = SourceKind(input[0] % kWrapperCount);
    const auto pristine = BuildFile(*data, wrapper, input.subspan(1));
    data->bytesRead = 0;
    data->lowestReadOffset.reset();
    data->writes.clear();
    auto file = OpenMemoryFile(data, OpenMode::ReadWrite);

    const SourceKind kind = DetectSourceKind(*file);
    Check(kind == wrapper || wrapper == SourceKind::ExtractedMapData);
    Check(data->bytesRead <= 16 && data->writes.empty());
    const auto layout = LayoutFor(kind, DescriptorFor(kind).dataOffset);
    if (!layout) {
        return;
    }
    data->lowestReadOffset.reset();
    if (!layout->hasBank) {
        const auto size = data->bytes.size();
        LoadLevelFromFile(*file, *layout, 0);
        Check(NothingReadBefore(*data, layout->dataOffset) && data->writes.empty() &&
              data->bytes.size() == size);
        return;
    }
    const std::int64_t bankStart = layout->dataOffset;
    const std::int64_t bankEnd = bankStart + LevelBank::kSize;
    const auto read = ReadBankFromFile(*file, bankStart);
    Check(read.ok() && NothingReadBefore(*data, bankStart) && data->writes.empty());
    const LevelBank& bank = read.value();

    // The input's last bytes, read backwards, choose the level (the first readable one from
    // there on) and the painted cells, so the choice does not move with the pointer table.
    std::size_t cursor = 0;
    const auto next = [&] { return input[input.size() - 1 - cursor++ % input.size()]; };
    int index = next() % LevelBank::kLevelCount;
    auto old = bank.readLevel(index);
    for (int step = 1; step < LevelBank::kLevelCount && !old.ok(); ++step) {
        old = bank.readLevel(index = (index + 1) % LevelBank::kLevelCount);
    }
    if (!old.ok()) {
        return;
    }
    const auto loaded = LoadLevelFromFile(*file, *layout, index);
    Check(loaded.ok() && loaded.value().map == old.value().map &&
          loaded.value().oldPackedLength == old.value().length &&
          loaded.value().levelOffset == old.value().offset - LevelBank::kTableSize);
    LevelMap painted = old.value().map;
    const int paints = next() % 8;
    for (int paint = 0; paint < paints; ++paint) {
        // One call per statement: the order within an expression differs between compilers.
        const int high = next();
        const int cell = (high * 256 + next()) % LevelMap::kCellCount;
        painted.setCell(cell, next() % 64);
    }

    const auto oldSize = std::int64_t(data->bytes.size());
    data->lowestReadOffset.reset();
    const auto saved = SaveLevelToFile(*file, *layout, index, painted,
                                       loaded.value().oldPackedLength, loaded.value().levelOffset);
    Check(NothingReadBefore(*data, bankStart));
    const auto& bytes = data->bytes;
    Check(std::int64_t(bytes.size()) == (saved.ok() ? std::max(oldSize, bankEnd) : oldSize));
    Check(std::ranges::all_of(data->writes, [&](const auto& write) {
        return write.first >= bankStart && write.first + write.second <= bankEnd;
    }));
    // Outside the bank the file holds what it was built with, before and after the bank.
    Check(std::equal(pristine.begin(), pristine.begin() + bankStart, bytes.begin()));
    Check(std::int64_t(pristine.size()) <= bankEnd ||
          std::equal(pristine.begin() + bankEnd, pristine.end(), bytes.begin() + bankEnd));
    if (!saved.ok()) {
        Check(std::equal(bank.bytes().begin(), bank.bytes().end(), bytes.begin() + bankStart));
        return;
    }
    const LevelBank after(std::span<const std::uint8_t>(bytes).subspan(std::size_t(bankStart)),
                          bankStart);
    const auto now = after.readLevel(index);
    Check(now.ok() && now.value().map == painted && now.value().offset == old.value().offset &&
          now.value().length == saved.value());
    CheckOthersRead(bank, after, index);
}

}  // namespace morvane::fuzz
