#include "leveldata/bank_history.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <utility>

#include "leveldata/level_bank.h"

namespace morvane {

namespace {

constexpr std::string_view kSuffix = ".point";

// The time now in ISO 8601, UTC, to the second.
std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::optional<int> IdFromName(std::string_view name) {
    if (!name.ends_with(kSuffix)) {
        return std::nullopt;
    }
    name.remove_suffix(kSuffix.size());
    int id = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
    if (name.empty() || error != std::errc() || end != name.data() + name.size() || id < 1 ||
        name[0] == '0') {
        return std::nullopt;
    }
    return id;
}

}  // namespace

BankHistory::BankHistory(FileSystem& files, std::string sourcePath, int sourceKind)
    : m_files(files), m_folder(std::move(sourcePath) + ".history"), m_sourceKind(sourceKind) {}

std::string BankHistory::pathOf(int id) const {
    return m_folder + "/" + std::to_string(id) + std::string(kSuffix);
}

std::vector<int> BankHistory::ids(FileStatus& status) {
    std::vector<std::string> names;
    status = m_files.listDirectory(m_folder, names);
    std::vector<int> found;
    for (const auto& name : names) {
        if (const auto id = IdFromName(name)) {
            found.push_back(*id);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::optional<LevelFailure> BankHistory::record(std::span<const std::uint8_t> bank,
                                                std::int64_t dataOffset, std::int64_t fileSize,
                                                const std::string& what) {
    const auto failed = [this](FileStatus status) {
        LevelFailure failure{LevelError::HistoryFailed, 0, -1, std::move(status)};
        failure.detail = m_folder;
        return failure;
    };
    if (FileStatus status = m_files.makeDirectory(m_folder); !status.ok()) {
        return failed(status);
    }
    FileStatus status;
    std::vector<int> kept = ids(status);
    if (!status.ok()) {
        return failed(status);
    }

    RestorePoint point;
    point.time = UtcNow();
    point.what = what;
    point.sourceKind = m_sourceKind;
    point.dataOffset = dataOffset;
    point.fileSize = fileSize;
    point.bank.assign(bank.begin(),
                      bank.begin() + std::min<std::size_t>(bank.size(), LevelBank::kSize));
    point.bank.resize(LevelBank::kSize, 0);
    point.checksum = BankChecksum(point.bank);

    if (!kept.empty()) {
        const auto newest = read(kept.back());
        if (newest.ok() && newest.value().bank == point.bank &&
            newest.value().fileSize == fileSize && newest.value().dataOffset == dataOffset &&
            newest.value().sourceKind == m_sourceKind) {
            return std::nullopt;
        }
    }
    point.id = kept.empty() ? 1 : kept.back() + 1;
    if (status = ReplaceFileContents(m_files, pathOf(point.id), EncodeRestorePoint(point));
        !status.ok()) {
        return failed(status);
    }
    // Removing old points is housekeeping: a point that stays is harmless, so failures here
    // do not stop the write.
    kept.push_back(point.id);
    for (std::size_t at = 0; at + kKeptPoints < kept.size(); ++at) {
        m_files.remove(pathOf(kept[at]));
    }
    return std::nullopt;
}

std::vector<HistoryEntry> BankHistory::entries() {
    FileStatus status;
    std::vector<HistoryEntry> listed;
    for (const int id : ids(status)) {
        auto point = read(id);
        listed.push_back({id, point.ok() ? std::optional(std::move(point.value())) : std::nullopt});
    }
    return listed;
}

LevelResult<RestorePoint> BankHistory::read(int id) {
    LevelFailure failure{LevelError::NoSuchPoint};
    failure.detail = std::to_string(id);
    std::vector<std::uint8_t> bytes;
    // A point is a short header and one bank; a larger file is not a point.
    const FileStatus status = ReadWholeFile(m_files, pathOf(id), 2 * LevelBank::kSize, bytes);
    if (status.error == FileError::NotFound) {
        return failure;
    }
    failure.error = LevelError::PointDamaged;
    if (!status.ok()) {
        return failure;
    }
    auto point = DecodeRestorePoint(bytes, failure.detail);
    if (point.ok() && point.value().id != id) {
        return failure;
    }
    return point;
}

}  // namespace morvane
