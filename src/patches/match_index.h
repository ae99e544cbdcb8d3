#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvane {

// Finds where a piece of data occurs in a byte string: positions are kept in chains by a hash
// of the kKeyLength bytes that start there. Used by the BPS encoder for the source and for the
// part of the result already written. Positions must fit in 32 bits.
class MatchIndex {
public:
    static constexpr std::size_t kKeyLength = 4;

    // Indexes no position yet; bytes must outlive the index.
    explicit MatchIndex(std::span<const std::uint8_t> bytes);

    // Adds a position that has kKeyLength bytes from it; later positions are visited first.
    void add(std::size_t position);

    // Calls visit(position) for up to maxVisits added positions whose key hashes like the
    // kKeyLength bytes at key, newest first. Their bytes may still differ from key's.
    template <typename Visit>
    void visitCandidates(const std::uint8_t* key, int maxVisits, Visit visit) const {
        std::int32_t position = m_heads[hash(key)];
        for (int visits = 0; position >= 0 && visits < maxVisits; ++visits) {
            visit(std::size_t(position));
            position = m_previous[std::size_t(position)];
        }
    }

private:
    std::size_t hash(const std::uint8_t* key) const;

    std::span<const std::uint8_t> m_bytes;
    int m_hashBits;
    // Per hash: the newest position added, or -1.
    std::vector<std::int32_t> m_heads;
    // Per position: the position added before it with the same hash, or -1.
    std::vector<std::int32_t> m_previous;
};

}  // namespace morvane
