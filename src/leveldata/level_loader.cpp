#include "leveldata/level_loader.h"

#include <vector>

#include "leveldata/level_codec.h"

namespace morvane {

namespace {

LevelResult<LoadedLevel> LoadSingleMap(ByteFile& file, std::int64_t dataOffset) {
    std::vector<std::uint8_t> stream(LevelMap::kCellCount);
    std::size_t present = 0;
    const FileStatus status = file.readAt(dataOffset, stream, present);
    if (!status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 1, dataOffset, status};
    }
    stream.resize(present);
    LoadedLevel level;
    const UnpackResult unpacked = UnpackLevel(stream, level.map);
    switch (unpacked.error) {
        case UnpackError::None:
            break;
        case UnpackError::RunPastEnd:
            return LevelFailure{LevelError::RunPastEnd, 1, dataOffset + unpacked.errorByte};
        case UnpackError::StreamEnded:
            return LevelFailure{LevelError::StreamLeavesFile, 1, dataOffset};
    }
    level.oldPackedLength = std::uint8_t(unpacked.consumed);
    level.levelOffset = -LevelBank::kTableSize;
    return level;
}

}  // namespace

LevelResult<LevelBank> ReadBankFromFile(ByteFile& file, std::int64_t dataOffset) {
    std::vector<std::uint8_t> bytes(LevelBank::kSize);
    std::size_t present = 0;
    const FileStatus status = file.readAt(dataOffset, bytes, present);
    if (!status.ok()) {
        return LevelFailure{LevelError::ReadFailed, 0, dataOffset, status};
    }
    bytes.resize(present);
    return LevelBank(bytes, dataOffset);
}

LevelResult<LoadedLevel> LoadLevelFromFile(ByteFile& file, const LevelLayout& layout, int index) {
    if (index < 0 || index >= layout.levelCount()) {
        return LevelFailure{LevelError::NoSuchLevel, index + 1};
    }
    if (layout.dataOffset < 0) {
        return LevelFailure{LevelError::BadDataOffset};
    }
    if (!layout.hasBank) {
        return LoadSingleMap(file, layout.dataOffset);
    }
    const auto bank = ReadBankFromFile(file, layout.dataOffset);
    if (!bank.ok()) {
        LevelFailure failure = bank.failure();
        failure.level = index + 1;
        return failure;
    }
    const auto read = bank.value().readLevel(index);
    if (!read.ok()) {
        return read.failure();
    }
    LoadedLevel level;
    level.map = read.value().map;
    level.oldPackedLength = std::uint8_t(read.value().length);
    level.levelOffset = std::int16_t(read.value().offset - LevelBank::kTableSize);
    return level;
}

}  // namespace morvane
