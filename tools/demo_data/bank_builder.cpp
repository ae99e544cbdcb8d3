#include "bank_builder.h"

#include <stdexcept>

#include "leveldata/level_bank.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_pointer.h"

namespace morvane::demo {

std::vector<std::uint8_t> AssembleBank(const std::vector<std::vector<std::uint8_t>>& streams,
                                       std::uint8_t freeFill) {
    if (streams.size() != LevelBank::kLevelCount) {
        throw std::invalid_argument("a bank holds 99 streams");
    }
    std::vector<std::uint8_t> bank(LevelBank::kTableSize);
    for (std::size_t index = 0; index < streams.size(); ++index) {
        const auto entry = LevelPointer::FromOffset(std::int16_t(bank.size()));
        bank[2 * index] = entry.low;
        bank[2 * index + 1] = entry.high;
        bank.insert(bank.end(), streams[index].begin(), streams[index].end());
    }
    if (bank.size() > LevelBank::kSize) {
        throw std::invalid_argument("the streams do not fit one bank");
    }
    bank.resize(LevelBank::kSize, freeFill);
    return bank;
}

std::vector<std::uint8_t> PackInPairs(const LevelMap& map) {
    std::vector<std::uint8_t> stream;
    for (const std::uint8_t run : PackLevel(map)) {
        if (run >> 6 == 3) {
            const auto pair = std::uint8_t((run & 0x3F) | 0x40);
            stream.push_back(pair);
            stream.push_back(pair);
        } else {
            stream.push_back(run);
        }
    }
    return stream;
}

}  // namespace morvane::demo
