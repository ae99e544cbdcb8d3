#include "patches/bps_patch.h"

#include <algorithm>

#include "leveldata/crc32.h"
#include "patches/match_index.h"

namespace morvane {

namespace {

constexpr std::size_t kSignatureSize = 4;  // "BPS1"
// Source, result and patch CRC-32, each 4 bytes, low byte first.
constexpr std::size_t kFooterSize = 12;
// The action kinds, stored in the low two bits of each action number.
constexpr std::uint64_t kSourceRead = 0;
constexpr std::uint64_t kTargetRead = 1;
constexpr std::uint64_t kSourceCopy = 2;
constexpr std::uint64_t kTargetCopy = 3;
// Nine bytes of the number encoding already reach past 2^63, more than any size needs.
constexpr int kMaxNumberBytes = 9;

// Shortest runs the encoder sends as actions rather than as bytes: a SourceRead costs a
// one-byte number, a copy also its offset, and either may cut a TargetRead in two.
constexpr std::size_t kMinSourceRead = 3;
constexpr std::size_t kMinCopy = 6;
// A SourceRead this long is taken without looking for a longer copy.
constexpr std::size_t kGoodSourceRead = 64;
// How many earlier positions with the same hash are compared at each position.
constexpr int kMaxCandidates = 32;

std::uint32_t ReadLittleEndian32(std::span<const std::uint8_t> bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

void WriteLittleEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(std::uint8_t(value >> shift));
    }
}

// Seven bits per byte, low bits first; the top bit marks the last byte. Each continuation
// subtracts one, so every number has exactly one encoding.
void WriteNumber(std::vector<std::uint8_t>& out, std::uint64_t value) {
    while (true) {
        const std::uint8_t low = value & 0x7F;
        value >>= 7;
        if (value == 0) {
            out.push_back(0x80 | low);
            return;
        }
        out.push_back(low);
        --value;
    }
}

// Reads the patch's bytes between the signature and the footer.
class BpsReader {
public:
    explicit BpsReader(std::span<const std::uint8_t> body) : m_body(body) {}

    bool atEnd() const { return m_at == m_body.size(); }
    std::size_t remaining() const { return m_body.size() - m_at; }

    PatchResult<std::uint64_t> number() {
        std::uint64_t value = 0;
        std::uint64_t shift = 1;
        for (int count = 0; count < kMaxNumberBytes; ++count) {
            if (atEnd()) {
                return PatchError::PatchEndsEarly;
            }
            const std::uint8_t byte = m_body[m_at++];
            value += (byte & 0x7F) * shift;
            if (byte & 0x80) {
                return value;
            }
            shift <<= 7;
            value += shift;
        }
        return PatchError::NumberTooLarge;
    }

    std::span<const std::uint8_t> bytes(std::size_t count) {
        const auto piece = m_body.subspan(m_at, count);
        m_at += count;
        return piece;
    }

private:
    std::span<const std::uint8_t> m_body;
    std::size_t m_at = 0;
};

struct BpsHeader {
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
};

PatchResult<BpsHeader> ReadHeader(BpsReader& reader) {
    BpsHeader header;
    for (std::uint64_t* field : {&header.sourceSize, &header.targetSize}) {
        const auto value = reader.number();
        if (!value.ok()) {
            return value.failure();
        }
        *field = value.value();
    }
    const auto metadataSize = reader.number();
    if (!metadataSize.ok()) {
        return metadataSize.failure();
    }
    if (metadataSize.value() > reader.remaining()) {
        return PatchError::PatchEndsEarly;
    }
    reader.bytes(std::size_t(metadataSize.value()));
    return header;
}

// Moves a copy's read position by a stored offset (sign in bit 0, magnitude above it) and
// checks that length bytes from there lie inside limit.
bool MoveReadPosition(std::uint64_t& position, std::uint64_t storedOffset, std::uint64_t length,
                      std::uint64_t limit) {
    const std::uint64_t magnitude = storedOffset >> 1;
    if (storedOffset & 1) {
        if (magnitude > position) {
            return false;
        }
        position -= magnitude;
    } else {
        if (magnitude > limit - position) {
            return false;
        }
        position += magnitude;
    }
    return position < limit && length <= limit - position;
}

PatchResult<std::vector<std::uint8_t>> RunActions(BpsReader& reader,
                                                  std::span<const std::uint8_t> source,
                                                  std::uint64_t targetSize) {
    std::vector<std::uint8_t> target;
    target.reserve(std::size_t(std::min<std::uint64_t>(targetSize, source.size() + (1u << 20))));
    std::uint64_t sourcePosition = 0;
    std::uint64_t targetPosition = 0;
    while (!reader.atEnd()) {
        const auto action = reader.number();
        if (!action.ok()) {
            return action.failure();
        }
        const std::uint64_t length = (action.value() >> 2) + 1;
        if (length > targetSize - target.size()) {
            return PatchFailure(PatchError::TargetSize, targetSize, target.size() + length);
        }
        const auto count = std::size_t(length);
        switch (action.value() & 3) {
            case kSourceRead: {
                // Copies the source bytes at the result's own position.
                const std::size_t at = target.size();
                if (at > source.size() || count > source.size() - at) {
                    return PatchError::ReadOutsideSource;
                }
                target.insert(target.end(), source.begin() + std::ptrdiff_t(at),
                              source.begin() + std::ptrdiff_t(at + count));
                break;
            }
            case kTargetRead: {
                if (count > reader.remaining()) {
                    return PatchError::PatchEndsEarly;
                }
                const auto bytes = reader.bytes(count);
                target.insert(target.end(), bytes.begin(), bytes.end());
                break;
            }
            case kSourceCopy: {
                const auto offset = reader.number();
                if (!offset.ok()) {
                    return offset.failure();
                }
                if (!MoveReadPosition(sourcePosition, offset.value(), length, source.size())) {
                    return PatchError::ReadOutsideSource;
                }
                const auto first = source.begin() + std::ptrdiff_t(sourcePosition);
                target.insert(target.end(), first, first + std::ptrdiff_t(count));
                sourcePosition += length;
                break;
            }
            case kTargetCopy: {
                const auto offset = reader.number();
                if (!offset.ok()) {
                    return offset.failure();
                }
                // Only the start must lie in the written part: a copy may run into the bytes
                // it writes itself, which repeats a pattern.
                if (!MoveReadPosition(targetPosition, offset.value(), 1, target.size())) {
                    return PatchError::ReadOutsideTarget;
                }
                for (std::size_t index = 0; index < count; ++index) {
                    const std::uint8_t byte = target[std::size_t(targetPosition++)];
                    target.push_back(byte);
                }
                break;
            }
        }
    }
    if (target.size() != targetSize) {
        return PatchFailure(PatchError::TargetSize, targetSize, target.size());
    }
    return target;
}

// Whether the bytes are a BPS patch long enough for its signature, one byte each of the three
// header numbers and its footer.
PatchResult<BpsReader> OpenPatch(std::span<const std::uint8_t> patch) {
    if (DetectPatchFormat(patch) != PatchFormat::Bps) {
        return PatchError::NotAPatch;
    }
    if (patch.size() < kSignatureSize + 3 + kFooterSize) {
        return PatchError::PatchEndsEarly;
    }
    return BpsReader(patch.subspan(kSignatureSize, patch.size() - kSignatureSize - kFooterSize));
}

class BpsEncoder {
public:
    BpsEncoder(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
        : m_source(source), m_target(target), m_sourceIndex(source), m_targetIndex(target) {}

    std::vector<std::uint8_t> encode() {
        m_out.assign({'B', 'P', 'S', '1'});
        WriteNumber(m_out, m_source.size());
        WriteNumber(m_out, m_target.size());
        WriteNumber(m_out, 0);
        for (std::size_t at = 0; at + MatchIndex::kKeyLength <= m_source.size(); ++at) {
            m_sourceIndex.add(at);
        }
        std::size_t at = 0;
        std::size_t literalStart = 0;
        std::size_t indexed = 0;
        while (at < m_target.size()) {
            for (; indexed < at && indexed + MatchIndex::kKeyLength <= m_target.size(); ++indexed) {
                m_targetIndex.add(indexed);
            }
            const Match match = bestMatch(at);
            const std::size_t minimum = match.action == kSourceRead ? kMinSourceRead : kMinCopy;
            if (match.length < minimum) {
                ++at;
                continue;
            }
            writeTargetRead(literalStart, at);
            writeMatch(match);
            at += match.length;
            literalStart = at;
        }
        writeTargetRead(literalStart, at);
        WriteLittleEndian32(m_out, Crc32(m_source));
        WriteLittleEndian32(m_out, Crc32(m_target));
        WriteLittleEndian32(m_out, Crc32(m_out));
        return std::move(m_out);
    }

private:
    struct Match {
        std::uint64_t action = kSourceRead;
        std::size_t from = 0;
        std::size_t length = 0;
    };

    // How many bytes from `from` in `bytes` equal the target's from `at`.
    std::size_t commonLength(std::span<const std::uint8_t> bytes, std::size_t from,
                             std::size_t at) const {
        const std::size_t limit = std::min(bytes.size() - from, m_target.size() - at);
        std::size_t length = 0;
        while (length < limit && bytes[from + length] == m_target[at + length]) {
            ++length;
        }
        return length;
    }

    // The longest of: the source at the same position, the source where the last copy ended,
    // and the indexed places in the source and the written result. Ties go to the cheaper
    // action, which is tried first.
    Match bestMatch(std::size_t at) const {
        Match best;
        if (at < m_source.size()) {
            best.length = commonLength(m_source, at, at);
        }
        if (best.length >= kGoodSourceRead) {
            return best;
        }
        const auto consider = [&](std::uint64_t action, std::size_t from) {
            const auto bytes = action == kSourceCopy ? m_source : m_target;
            const std::size_t length = commonLength(bytes, from, at);
            if (length > best.length) {
                best = {action, from, length};
            }
        };
        if (m_sourcePosition < m_source.size()) {
            consider(kSourceCopy, m_sourcePosition);
        }
        if (at + MatchIndex::kKeyLength <= m_target.size()) {
            const std::uint8_t* key = m_target.data() + at;
            m_sourceIndex.visitCandidates(key, kMaxCandidates,
                                          [&](std::size_t from) { consider(kSourceCopy, from); });
            m_targetIndex.visitCandidates(key, kMaxCandidates,
                                          [&](std::size_t from) { consider(kTargetCopy, from); });
        }
        return best;
    }

    void writeAction(std::uint64_t action, std::size_t length) {
        WriteNumber(m_out, (std::uint64_t(length - 1) << 2) | action);
    }

    // A copy's offset is relative to where the previous copy of its kind stopped reading.
    void writeOffset(std::size_t& position, std::size_t from) {
        if (from >= position) {
            WriteNumber(m_out, std::uint64_t(from - position) << 1);
        } else {
            WriteNumber(m_out, (std::uint64_t(position - from) << 1) | 1);
        }
    }

    void writeTargetRead(std::size_t begin, std::size_t end) {
        if (begin < end) {
            writeAction(kTargetRead, end - begin);
            m_out.insert(m_out.end(), m_target.begin() + std::ptrdiff_t(begin),
                         m_target.begin() + std::ptrdiff_t(end));
        }
    }

    void writeMatch(const Match& match) {
        writeAction(match.action, match.length);
        if (match.action == kSourceCopy) {
            writeOffset(m_sourcePosition, match.from);
            m_sourcePosition = match.from + match.length;
        } else if (match.action == kTargetCopy) {
            writeOffset(m_targetPosition, match.from);
            m_targetPosition = match.from + match.length;
        }
    }

    std::span<const std::uint8_t> m_source;
    std::span<const std::uint8_t> m_target;
    MatchIndex m_sourceIndex;
    MatchIndex m_targetIndex;
    std::vector<std::uint8_t> m_out;
    std::size_t m_sourcePosition = 0;
    std::size_t m_targetPosition = 0;
};

}  // namespace

PatchResult<std::vector<std::uint8_t>> MakeBpsPatch(std::span<const std::uint8_t> original,
                                                    std::span<const std::uint8_t> edited) {
    const std::size_t largest = std::max(original.size(), edited.size());
    if (largest > kBpsMaxFileSize) {
        return PatchFailure(PatchError::FileTooLarge, kBpsMaxFileSize, largest);
    }
    return BpsEncoder(original, edited).encode();
}

PatchResult<std::vector<std::uint8_t>> ApplyBpsPatch(std::span<const std::uint8_t> patch,
                                                     std::span<const std::uint8_t> source) {
    auto reader = OpenPatch(patch);
    if (!reader.ok()) {
        return reader.failure();
    }
    const auto footer = patch.last(kFooterSize);
    if (Crc32(patch.first(patch.size() - 4)) != ReadLittleEndian32(footer.subspan(8))) {
        return PatchError::PatchChecksum;
    }
    const auto header = ReadHeader(reader.value());
    if (!header.ok()) {
        return header.failure();
    }
    if (header.value().sourceSize != source.size()) {
        return PatchFailure(PatchError::SourceSize, header.value().sourceSize, source.size());
    }
    if (Crc32(source) != ReadLittleEndian32(footer)) {
        return PatchError::SourceChecksum;
    }
    if (header.value().targetSize > kBpsMaxFileSize) {
        return PatchFailure(PatchError::TargetTooLarge, kBpsMaxFileSize, header.value().targetSize);
    }
    auto target = RunActions(reader.value(), source, header.value().targetSize);
    if (target.ok() && Crc32(target.value()) != ReadLittleEndian32(footer.subspan(4))) {
        return PatchError::TargetChecksum;
    }
    return target;
}

PatchResult<PatchInfo> ReadBpsInfo(std::span<const std::uint8_t> patch) {
    auto reader = OpenPatch(patch);
    if (!reader.ok()) {
        return reader.failure();
    }
    const auto header = ReadHeader(reader.value());
    if (!header.ok()) {
        return header.failure();
    }
    const auto footer = patch.last(kFooterSize);
    PatchInfo info;
    info.format = PatchFormat::Bps;
    info.patchSize = patch.size();
    info.sourceSize = header.value().sourceSize;
    info.targetSize = header.value().targetSize;
    info.sourceCrc = ReadLittleEndian32(footer);
    info.targetCrc = ReadLittleEndian32(footer.subspan(4));
    info.patchCrc = ReadLittleEndian32(footer.subspan(8));
    info.patchCrcMatches = Crc32(patch.first(patch.size() - 4)) == info.patchCrc;
    return info;
}

}  // namespace morvane
