#include "patches/match_index.h"

namespace morvane {

namespace {

// About one bucket per position, between 2^8 and 2^16 buckets.
int HashBitsFor(std::size_t size) {
    int bits = 8;
    while (bits < 16 && (std::size_t(1) << bits) < size) {
        ++bits;
    }
    return bits;
}

}  // namespace

MatchIndex::MatchIndex(std::span<const std::uint8_t> bytes)
    : m_bytes(bytes),
      m_hashBits(HashBitsFor(bytes.size())),
      m_heads(std::size_t(1) << m_hashBits, -1),
      m_previous(bytes.size(), -1) {}

void MatchIndex::add(std::size_t position) {
    const std::size_t bucket = hash(m_bytes.data() + position);
    m_previous[position] = m_heads[bucket];
    m_heads[bucket] = std::int32_t(position);
}

std::size_t MatchIndex::hash(const std::uint8_t* key) const {
    const std::uint32_t word = std::uint32_t(key[0]) | std::uint32_t(key[1]) << 8 |
                               std::uint32_t(key[2]) << 16 | std::uint32_t(key[3]) << 24;
    return (word * 2654435761u) >> (32 - m_hashBits);
}

}  // namespace morvane
