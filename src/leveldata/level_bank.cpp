#include "leveldata/level_bank.h"

#include <algorithm>

#include "leveldata/level_codec.h"

namespace morvane {

LevelBank::LevelBank(std::span<const std::uint8_t> bytes, std::int64_t dataOffset)
    : m_bytes(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), kSize)),
      m_dataOffset(dataOffset) {}

LevelPointer LevelBank::pointer(int index) const {
    return {m_bytes[std::size_t(2 * index)], m_bytes[std::size_t(2 * index + 1)]};
}

LevelResult<BankLevel> LevelBank::readLevel(int index) const {
    const int number = index + 1;
    if (index < 0 || index >= kLevelCount) {
        return LevelFailure{LevelError::NoSuchLevel, number};
    }
    const int present = int(m_bytes.size());
    if (2 * index + 2 > present) {
        return LevelFailure{LevelError::TableLeavesFile, number, m_dataOffset + present};
    }
    const LevelPointer entry = pointer(index);
    if (!entry.pointsIntoDataArea()) {
        return LevelFailure{LevelError::PointerOutsideBank, number, m_dataOffset + 2 * index};
    }
    const int offset = entry.offset();
    const std::int64_t streamStart = m_dataOffset + offset;
    if (offset >= present) {
        return LevelFailure{LevelError::StreamLeavesFile, number, streamStart};
    }
    BankLevel level;
    const UnpackResult unpacked =
        UnpackLevel(std::span(m_bytes).subspan(std::size_t(offset)), level.map);
    switch (unpacked.error) {
        case UnpackError::None:
            break;
        case UnpackError::RunPastEnd:
            return LevelFailure{LevelError::RunPastEnd, number, streamStart + unpacked.errorByte};
        case UnpackError::StreamEnded:
            return LevelFailure{
                present < kSize ? LevelError::StreamLeavesFile : LevelError::StreamLeavesBank,
                number, streamStart};
    }
    level.offset = offset;
    level.length = unpacked.consumed;
    return level;
}

LevelResult<int> LevelBank::usedBytes() const {
    const auto last = readLevel(kLevelCount - 1);
    if (!last.ok()) {
        return last.failure();
    }
    return last.value().offset + last.value().length;
}

std::optional<int> LevelBank::freeBytes() const {
    const auto used = usedBytes();
    return used.ok() ? std::optional(kSize - used.value()) : std::nullopt;
}

}  // namespace morvane
