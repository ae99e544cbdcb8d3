#include <algorithm>

#include "fuzz_targets.h"
#include "leveldata/bank_history.h"
#include "leveldata/bank_restorer.h"
#include "leveldata/level_bank.h"
#include "memory_file_system.h"

namespace morvane::fuzz {

namespace {
bool SamePoint(const RestorePoint& a, const RestorePoint& b) {
    return a.id == b.id && a.time == b.time && a.what == b.what && a.sourceKind == b.sourceKind &&
           a.dataOffset == b.dataOffset && a.fileSize == b.fileSize && a.checksum == b.checksum &&
           a.bank == b.bank;
}

// Files larger than this are not worth building for a restore.
constexpr std::int64_t kLargestSource = 1 << 18;

}  // namespace

void FuzzRestorePoint(std::span<const std::uint8_t> input) {
    const auto decoded = DecodeRestorePoint(input, "1");
    if (decoded.ok()) {
        const RestorePoint& point = decoded.value();
        Check(point.bank.size() == std::size_t(LevelBank::kSize));
        Check(Crc32(point.bank) == point.checksum);
        // What is read writes back to a point that reads the same, and writing is stable.
        const auto encoded = EncodeRestorePoint(point);
        const auto again = DecodeRestorePoint(encoded, "1");
        Check(again.ok() && SamePoint(again.value(), point));
        Check(EncodeRestorePoint(again.value()) == encoded);
    } else {
        Check(decoded.failure().error == LevelError::PointDamaged);
    }

    // The history reads the point file as the decoder does.
    MemoryFileSystem files;
    files.makeDirectory("s.history", FileAccess::Private);
    files.add("s.history/1.point", {input.begin(), input.end()});
    const int kind = decoded.ok() ? decoded.value().sourceKind : 2;
    BankHistory history(files, "s", kind);
    const auto listed = history.entries();
    Check(listed.ok());
    const auto& entries = listed.value();
    Check(entries.size() == 1 && entries[0].id == 1);
    Check(entries[0].point.ok() == (decoded.ok() && decoded.value().id == 1));
    if (!entries[0].point.ok()) {
        return;
    }

    // A restore over a file of the point's shape writes exactly the point's bank, and nothing
    // outside it; a refused restore leaves the file as it was.
    const RestorePoint& point = entries[0].point.value();
    const std::int64_t base = point.dataOffset;
    const std::int64_t length = std::max(point.fileSize, base + LevelBank::kSize);
    if (length > kLargestSource) {
        return;
    }
    const std::vector<std::uint8_t> before(std::size_t(length), 0xA5);
    auto source = files.add("s", before);
    auto file = OpenMemoryFile(source, OpenMode::ReadWrite);
    const auto failure = RestoreBankFromHistory(*file, {base, true}, {&history, {}, false, {}}, 1);
    if (failure) {
        Check(source->bytes == before);
        return;
    }
    const std::size_t present = point.bankBytesPresent();
    Check(source->bytes.size() == std::size_t(point.fileSize));
    Check(std::equal(point.bank.begin(), point.bank.begin() + std::ptrdiff_t(present),
                     source->bytes.begin() + base));
    Check(std::equal(before.begin(), before.begin() + base, source->bytes.begin()));
    Check(std::all_of(source->bytes.begin() + base + std::ptrdiff_t(present), source->bytes.end(),
                      [](std::uint8_t byte) { return byte == 0xA5; }));
}

}  // namespace morvane::fuzz
