#include "patches/ips_patch.h"

#include <algorithm>
#include <functional>

namespace morvane {

namespace {

constexpr std::size_t kHeaderSize = 5;          // "PATCH"
constexpr std::uint32_t kEofOffset = 0x454F46;  // "EOF" read as an offset
constexpr std::size_t kMaxRecordLength = 0xFFFF;
// A run of equal bytes this long costs less as its own run-length record (8 bytes) than as
// part of a plain record, even when it splits that record in two (5 more header bytes).
constexpr std::size_t kMinRun = 14;
// Equal bytes between two changes shorter than a record header are cheaper to send again.
constexpr std::size_t kMaxGap = 5;

// One record as read from a patch: either bytes to copy or a run of one value.
struct IpsRecord {
    std::uint32_t offset = 0;
    std::span<const std::uint8_t> bytes;
    std::size_t runLength = 0;
    std::uint8_t runValue = 0;
};

std::uint32_t ReadBigEndian(std::span<const std::uint8_t> bytes, std::size_t at,
                            std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t index = 0; index < count; ++index) {
        value = (value << 8) | bytes[at + index];
    }
    return value;
}

void WriteBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int count) {
    for (int shift = 8 * (count - 1); shift >= 0; shift -= 8) {
        out.push_back(std::uint8_t(value >> shift));
    }
}

// Walks the records of a patch in order and returns the truncation length, if any.
PatchResult<std::optional<std::uint32_t>> ReadRecords(
    std::span<const std::uint8_t> patch, const std::function<void(const IpsRecord&)>& visit) {
    if (DetectPatchFormat(patch) != PatchFormat::Ips) {
        return PatchError::NotAPatch;
    }
    std::size_t at = kHeaderSize;
    while (true) {
        if (patch.size() - at < 3) {
            return PatchError::PatchEndsEarly;
        }
        IpsRecord record;
        record.offset = ReadBigEndian(patch, at, 3);
        at += 3;
        if (record.offset == kEofOffset) {
            break;
        }
        if (patch.size() - at < 2) {
            return PatchError::PatchEndsEarly;
        }
        const std::size_t length = ReadBigEndian(patch, at, 2);
        at += 2;
        // A length of 0 marks a run: a 2-byte count and the value to repeat.
        const std::size_t needed = length == 0 ? 3 : length;
        if (patch.size() - at < needed) {
            return PatchError::PatchEndsEarly;
        }
        if (length == 0) {
            record.runLength = ReadBigEndian(patch, at, 2);
            record.runValue = patch[at + 2];
        } else {
            record.bytes = patch.subspan(at, length);
        }
        at += needed;
        visit(record);
    }
    const std::size_t rest = patch.size() - at;
    if (rest == 0) {
        return std::optional<std::uint32_t>();
    }
    if (rest != 3) {
        return PatchError::TrailingBytes;
    }
    return std::optional<std::uint32_t>(ReadBigEndian(patch, at, 3));
}

class IpsWriter {
public:
    explicit IpsWriter(std::span<const std::uint8_t> edited) : m_edited(edited) {
        m_out.assign({'P', 'A', 'T', 'C', 'H'});
    }

    // Sends edited[begin, end) as plain records of at most 65535 bytes.
    void writePlain(std::size_t begin, std::size_t end) {
        while (begin < end) {
            // A record may not start at the offset that reads as "EOF"; starting one byte
            // earlier sends an extra byte of the edited file, which is harmless.
            if (begin == kEofOffset) {
                --begin;
            }
            const std::size_t length = std::min(end - begin, kMaxRecordLength);
            WriteBigEndian(m_out, std::uint32_t(begin), 3);
            WriteBigEndian(m_out, std::uint32_t(length), 2);
            m_out.insert(m_out.end(), m_edited.begin() + std::ptrdiff_t(begin),
                         m_edited.begin() + std::ptrdiff_t(begin + length));
            begin += length;
        }
    }

    // Sends edited[begin, end), all one value, as run-length records.
    void writeRun(std::size_t begin, std::size_t end) {
        if (begin == kEofOffset) {
            writePlain(begin, begin + 1);
            ++begin;
        }
        while (begin < end) {
            // A long run is split into records; one that would start at "EOF" starts a byte
            // earlier, on a byte of the same run.
            if (begin == kEofOffset) {
                --begin;
            }
            const std::size_t length = std::min(end - begin, kMaxRecordLength);
            WriteBigEndian(m_out, std::uint32_t(begin), 3);
            WriteBigEndian(m_out, 0, 2);
            WriteBigEndian(m_out, std::uint32_t(length), 2);
            m_out.push_back(m_edited[begin]);
            begin += length;
        }
    }

    // Sends edited[begin, end), runs as run-length records and the rest as plain ones.
    void writeRange(std::size_t begin, std::size_t end) {
        std::size_t plainStart = begin;
        std::size_t at = begin;
        while (at < end) {
            std::size_t runEnd = at + 1;
            while (runEnd < end && m_edited[runEnd] == m_edited[at]) {
                ++runEnd;
            }
            if (runEnd - at >= kMinRun) {
                writePlain(plainStart, at);
                writeRun(at, runEnd);
                plainStart = runEnd;
            }
            at = runEnd;
        }
        writePlain(plainStart, end);
    }

    std::vector<std::uint8_t> finish(std::optional<std::uint32_t> truncatedSize) {
        m_out.insert(m_out.end(), {'E', 'O', 'F'});
        if (truncatedSize) {
            WriteBigEndian(m_out, *truncatedSize, 3);
        }
        return std::move(m_out);
    }

private:
    std::span<const std::uint8_t> m_edited;
    std::vector<std::uint8_t> m_out;
};

}  // namespace

PatchResult<std::vector<std::uint8_t>> MakeIpsPatch(std::span<const std::uint8_t> original,
                                                    std::span<const std::uint8_t> edited) {
    const std::size_t largest = std::max(original.size(), edited.size());
    if (largest > kIpsMaxFileSize) {
        return PatchFailure(PatchError::IpsTooLarge, kIpsMaxFileSize, largest);
    }
    // Bytes past the original's end always differ: a record must reach the edited file's last
    // byte for the result to grow to its length.
    const std::size_t common = std::min(original.size(), edited.size());
    const auto nextDifference = [&](std::size_t from) {
        if (from >= common) {
            return from;
        }
        const auto found = std::mismatch(edited.begin() + std::ptrdiff_t(from),
                                         edited.begin() + std::ptrdiff_t(common),
                                         original.begin() + std::ptrdiff_t(from));
        return std::size_t(found.first - edited.begin());
    };
    const auto nextEqual = [&](std::size_t from) {
        if (from >= common) {
            return edited.size();
        }
        const auto found = std::mismatch(
            edited.begin() + std::ptrdiff_t(from), edited.begin() + std::ptrdiff_t(common),
            original.begin() + std::ptrdiff_t(from), std::not_equal_to<>());
        return std::size_t(found.first - edited.begin());
    };
    IpsWriter writer(edited);
    std::size_t at = nextDifference(0);
    while (at < edited.size()) {
        const std::size_t begin = at;
        std::size_t end = nextEqual(at);
        // Take in later changes that are separated by only a few equal bytes.
        for (std::size_t next = nextDifference(end); next < edited.size() && next - end <= kMaxGap;
             next = nextDifference(end)) {
            end = nextEqual(next);
        }
        writer.writeRange(begin, end);
        at = nextDifference(end);
    }
    std::optional<std::uint32_t> truncatedSize;
    if (edited.size() < original.size()) {
        truncatedSize = std::uint32_t(edited.size());
    }
    return writer.finish(truncatedSize);
}

PatchResult<AppliedPatch> ApplyIpsPatch(std::span<const std::uint8_t> patch,
                                        std::span<const std::uint8_t> source) {
    AppliedPatch applied;
    std::vector<std::uint8_t>& target = applied.result;
    target.assign(source.begin(), source.end());
    const auto truncatedSize = ReadRecords(patch, [&](const IpsRecord& record) {
        const std::size_t length = record.bytes.empty() ? record.runLength : record.bytes.size();
        const std::size_t end = std::size_t(record.offset) + length;
        if (target.size() < end) {
            target.resize(end, 0);
        }
        const auto first = target.begin() + std::ptrdiff_t(record.offset);
        if (record.bytes.empty()) {
            std::fill_n(first, length, record.runValue);
        } else {
            std::copy(record.bytes.begin(), record.bytes.end(), first);
        }
    });
    if (!truncatedSize.ok()) {
        return truncatedSize.failure();
    }
    if (const auto cut = truncatedSize.value(); cut && *cut <= target.size()) {
        target.resize(*cut);
    } else if (cut) {
        applied.ignoredCut = cut;
    }
    return applied;
}

PatchResult<PatchInfo> ReadIpsInfo(std::span<const std::uint8_t> patch) {
    PatchInfo info;
    info.format = PatchFormat::Ips;
    info.patchSize = patch.size();
    const auto truncatedSize = ReadRecords(patch, [&](const IpsRecord&) { ++info.recordCount; });
    if (!truncatedSize.ok()) {
        return truncatedSize.failure();
    }
    info.truncatedSize = truncatedSize.value();
    return info;
}

}  // namespace morvane
