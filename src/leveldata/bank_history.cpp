#include "leveldata/bank_history.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <limits>
#include <utility>

#include "leveldata/level_bank.h"

namespace morvane {

namespace {

constexpr std::string_view kSuffix = ".point";
constexpr std::string_view kUnderWay = "under-way";

// The time now in ISO 8601, UTC, to the second. The system clock counts UTC; the calendar
// date comes from its days, without the C library's thread-unsafe gmtime().
std::string UtcNow() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()));
    return text;
}

// The id of a point's file name: the id, then ".point".
std::optional<std::int64_t> IdFromName(std::string_view name) {
    if (!name.ends_with(kSuffix)) {
        return std::nullopt;
    }
    name.remove_suffix(kSuffix.size());
    return ParsePointId(name);
}

// A file of the folder that this program's writes may leave behind when cut short.
bool IsLeftover(std::string_view name) {
    const auto infix = name.find(".part-");
    if (infix == std::string_view::npos) {
        return false;
    }
    const std::string_view target = name.substr(0, infix);
    return (target == kUnderWay || IdFromName(target)) && IsPartFileOf(name, target);
}

// Whether the entry described by info may be trusted as this user's own.
FileStatus CheckOwnEntry(const EntryInfo& info, EntryInfo::Type type) {
    if (info.type == EntryInfo::Type::SymbolicLink) {
        return {FileError::SymbolicLink, {}};
    }
    if (info.type != type) {
        return {type == EntryInfo::Type::Directory ? FileError::NotADirectory
                                                   : FileError::NotRegularFile,
                {}};
    }
    if (!info.ownedByThisUser) {
        return {FileError::OwnedByOtherUser, {}};
    }
    if (info.writableByOthers) {
        return {FileError::WritableByOthers, {}};
    }
    return {};
}

}  // namespace

std::optional<std::int64_t> ParsePointId(std::string_view text) {
    std::int64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (text.empty() || text[0] < '1' || text[0] > '9' || error != std::errc() ||
        end != text.data() + text.size()) {
        return std::nullopt;
    }
    return id;
}

BankHistory::BankHistory(FileSystem& files, std::string sourcePath, int sourceKind)
    : m_files(files), m_sourcePath(std::move(sourcePath)), m_sourceKind(sourceKind) {
    // One file has one history, whichever name or link it is written through. A link that
    // cannot be followed leaves the name as given; opening the file then fails anyway.
    std::string file;
    if (!m_files.resolveLinks(m_sourcePath, file).ok()) {
        file = m_sourcePath;
    }
    m_folder = file + ".history";
    m_fileName = file.substr(file.find_last_of('/') + 1);
}

std::string BankHistory::pathOf(std::int64_t id) const {
    return m_folder + "/" + std::to_string(id) + std::string(kSuffix);
}

LevelFailure BankHistory::failed(FileStatus status) const {
    LevelFailure failure{LevelError::HistoryFailed, 0, -1, std::move(status)};
    failure.detail = m_folder;
    return failure;
}

LevelFailure BankHistory::unreadable(FileStatus status) const {
    LevelFailure failure{LevelError::HistoryUnreadable, 0, -1, std::move(status)};
    failure.detail = m_folder;
    return failure;
}

FileStatus BankHistory::checkFolder(bool create) {
    EntryInfo info;
    if (FileStatus status = m_files.inspect(m_folder, info); !status.ok()) {
        return status;
    }
    if (info.type == EntryInfo::Type::Missing) {
        if (!create) {
            return {FileError::NotFound, {}};
        }
        if (FileStatus status = m_files.makeDirectory(m_folder, FileAccess::Private);
            !status.ok()) {
            return status;
        }
        if (FileStatus status = m_files.inspect(m_folder, info); !status.ok()) {
            return status;
        }
    }
    return CheckOwnEntry(info, EntryInfo::Type::Directory);
}

std::string BankHistory::recordPath() const {
    return m_folder + "/" + std::string(kUnderWay);
}

FileStatus BankHistory::readOwnFile(const std::string& path, std::int64_t maxBytes,
                                    std::vector<std::uint8_t>& bytes) {
    EntryInfo info;
    if (FileStatus status = m_files.inspect(path, info); !status.ok()) {
        return status;
    }
    if (info.type == EntryInfo::Type::Missing) {
        return {FileError::NotFound, {}};
    }
    if (FileStatus status = CheckOwnEntry(info, EntryInfo::Type::RegularFile); !status.ok()) {
        return status;
    }
    return ReadWholeFile(m_files, path, maxBytes, bytes);
}

std::vector<std::int64_t> BankHistory::ids(FileStatus& status) const {
    std::vector<std::string> names;
    status = m_files.listDirectory(m_folder, names);
    std::vector<std::int64_t> found;
    for (const auto& name : names) {
        if (const auto id = IdFromName(name)) {
            found.push_back(*id);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

LevelResult<std::int64_t> BankHistory::keepPoint(std::span<const std::uint8_t> bank,
                                                 std::int64_t dataOffset, std::int64_t fileSize,
                                                 const std::string& what,
                                                 std::optional<UnfinishedWrite> record) {
    if (FileStatus status = checkFolder(true); !status.ok()) {
        return failed(status);
    }
    std::vector<std::string> names;
    if (FileStatus status = m_files.listDirectory(m_folder, names); !status.ok()) {
        return failed(status);
    }
    // Part files of writes that were cut short; the caller holds the source's lock, so no
    // other writer of this history is under way.
    std::vector<std::int64_t> kept;
    for (const auto& name : names) {
        if (IsLeftover(name)) {
            m_files.remove(m_folder + "/" + name);
        } else if (const auto id = IdFromName(name)) {
            kept.push_back(*id);
        }
    }
    std::sort(kept.begin(), kept.end());

    RestorePoint point;
    point.time = UtcNow();
    point.what = what;
    point.sourceKind = m_sourceKind;
    point.dataOffset = dataOffset;
    point.fileSize = fileSize;
    point.bank.assign(bank.begin(),
                      bank.begin() + std::min<std::size_t>(bank.size(), LevelBank::kSize));
    point.bank.resize(LevelBank::kSize, 0);
    point.checksum = Crc32(point.bank);
    if (!kept.empty()) {
        const auto newest = read(kept.back());
        if (newest.ok() && newest.value().bank == point.bank &&
            newest.value().fileSize == fileSize && newest.value().dataOffset == dataOffset &&
            newest.value().sourceKind == m_sourceKind) {
            if (record) {
                record->pointId = kept.back();
                if (auto failure = recordWrite(*record)) {
                    return *failure;
                }
            }
            return kept.back();
        }
        if (kept.back() == std::numeric_limits<std::int64_t>::max()) {
            return failed({FileError::CreateFailed, "no restore point id is left"});
        }
    }
    point.id = kept.empty() ? 1 : kept.back() + 1;
    // The point and the record that names it go to disk together, with one flush of the folder.
    const auto pointBytes = EncodeRestorePoint(point);
    std::vector<std::uint8_t> recordBytes;
    std::vector<std::pair<std::string, std::span<const std::uint8_t>>> files = {
        {pathOf(point.id), pointBytes}};
    if (record) {
        record->pointId = point.id;
        recordBytes = EncodeUnfinishedWrite(*record);
        files.emplace_back(recordPath(), recordBytes);
    }
    if (FileStatus status = ReplaceFilesInFolder(m_files, files, FileAccess::Private);
        !status.ok()) {
        return failed(status);
    }
    // Removing old points is housekeeping: a point that stays is harmless, so failures here
    // do not stop the write. Only files whose header reads as a point's go, of any kind (a
    // file that was another kind of source once), and only their headers are read.
    kept.push_back(point.id);
    for (std::size_t at = 0; at + kKeptPoints < kept.size(); ++at) {
        if (readHeader(kept[at])) {
            m_files.remove(pathOf(kept[at]));
        }
    }
    return point.id;
}

LevelResult<std::vector<HistoryEntry>> BankHistory::entries() {
    const auto found = pointIds();
    if (!found.ok()) {
        return found.failure();
    }
    std::vector<HistoryEntry> listed;
    for (const std::int64_t id : found.value()) {
        listed.push_back({id, read(id)});
    }
    return listed;
}

LevelResult<std::vector<std::int64_t>> BankHistory::pointIds() {
    FileStatus status = checkFolder(false);
    if (status.error == FileError::NotFound) {
        return std::vector<std::int64_t>();
    }
    if (!status.ok()) {
        return unreadable(status);
    }
    auto found = ids(status);
    if (!status.ok()) {
        return unreadable(status);
    }
    return found;
}

LevelResult<RestorePoint> BankHistory::read(std::int64_t id) {
    LevelFailure failure{LevelError::NoSuchPoint};
    failure.detail = std::to_string(id);
    FileStatus status = checkFolder(false);
    if (status.error == FileError::NotFound) {
        return failure;
    }
    if (!status.ok()) {
        return unreadable(status);
    }
    std::vector<std::uint8_t> bytes;
    // A point is a short header and one bank; a larger file is not a point.
    status = readOwnFile(pathOf(id), 2 * LevelBank::kSize, bytes);
    if (status.error == FileError::NotFound) {
        return failure;
    }
    if (!status.ok() && status.error != FileError::TooLarge) {
        failure.error = LevelError::PointUnreadable;
        failure.file = status;
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

bool BankHistory::readHeader(std::int64_t id) {
    EntryInfo info;
    if (!m_files.inspect(pathOf(id), info).ok() ||
        !CheckOwnEntry(info, EntryInfo::Type::RegularFile).ok()) {
        return false;
    }
    FileStatus status;
    const auto file = m_files.open(pathOf(id), OpenMode::ReadOnly, status);
    std::vector<std::uint8_t> header(kMaxRestorePointHeader);
    std::size_t present = 0;
    if (!file || !file->readAt(0, header, present).ok()) {
        return false;
    }
    header.resize(present);
    const auto point = DecodeRestorePointHeader(header, std::to_string(id));
    return point.ok() && point.value().id == id;
}

std::optional<LevelFailure> BankHistory::recordWrite(const UnfinishedWrite& record) {
    if (FileStatus status = ReplaceFileContents(m_files, recordPath(),
                                                EncodeUnfinishedWrite(record), FileAccess::Private);
        !status.ok()) {
        return failed(status);
    }
    return std::nullopt;
}

void BankHistory::endWrite() {
    m_files.remove(recordPath());
}

LevelResult<std::optional<UnfinishedWrite>> BankHistory::unfinishedWrite() {
    const std::optional<UnfinishedWrite> none;
    // No folder, or a file in its place (which a write without a point may ignore), holds no
    // record.
    FileStatus status = checkFolder(false);
    if (status.error == FileError::NotFound || status.error == FileError::NotADirectory) {
        return none;
    }
    if (!status.ok()) {
        return failed(status);
    }
    std::vector<std::uint8_t> bytes;
    status = readOwnFile(recordPath(), 4096, bytes);
    if (status.error == FileError::NotFound) {
        return none;
    }
    const auto record = status.ok() ? DecodeUnfinishedWrite(bytes) : std::nullopt;
    if (!record) {
        LevelFailure failure{
            LevelError::RecordUnusable, 0, -1,
            status.ok() ? FileStatus{FileError::ReadFailed, "it is damaged"} : status};
        failure.detail = recordPath();
        return failure;
    }
    return record;
}

}  // namespace morvane
