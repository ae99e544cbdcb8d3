#include "patches/match_index.h"

namespace morvane {

namespace {

constexpr int kHashBits = 16;

}  // namespace

MatchIndex::MatchIndex(std::span<const std::uint8_t> bytes)
    : m_bytes(bytes), m_heads(std::size_t(1) << kHashBits, -1), m_previous(bytes.size(), -1) {}

void MatchIndex::add(std::size_t position) {
    const std::size_t hash = Hash(m_bytes.data() + position);
    m_previous[position] = m_heads[hash];
    m_heads[hash] = std::int32_t(position);
}

std::size_t MatchIndex::Hash(const std::uint8_t* key) {
    const std::uint32_t word = std::uint32_t(key[0]) | std::uint32_t(key[1]) << 8 |
                               std::uint32_t(key[2]) << 16 | std::uint32_t(key[3]) << 24;
    return (word * 2654435761u) >> (32 - kHashBits);
}

}  // namespace morvane
