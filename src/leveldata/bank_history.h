#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "leveldata/byte_file.h"
#include "leveldata/level_failure.h"
#include "leveldata/restore_point.h"

namespace morvane {

// One point of a history listing: its id, and the point itself when it could be read.
struct HistoryEntry {
    int id = 0;
    std::optional<RestorePoint> point;
};

// The restore points of one source file, kept in a folder beside it named after it:
// "bank.bin" keeps its points in "bank.bin.history/", one file "<id>.point" each. Ids count up
// from 1 and are never reused, since the newest point is never removed; the newest kKeptPoints
// points are kept and older ones removed.
class BankHistory {
public:
    static constexpr int kKeptPoints = 100;

    // files is used for every access and must outlive the history. sourcePath is the source
    // file's path as the caller opens it; sourceKind its kind's value, stored in each point.
    BankHistory(FileSystem& files, std::string sourcePath, int sourceKind);

    const std::string& folder() const { return m_folder; }
    int sourceKind() const { return m_sourceKind; }

    // Stores the bank as it stands before a write: bank holds the bytes the file has from
    // dataOffset on (at most 16384; fewer when the file ends inside the bank) and fileSize is
    // the file's length. The point is complete and flushed when this returns success. A bank
    // equal to the newest point's is not stored again. Fails with HistoryFailed when the folder
    // or the point cannot be made; the source file is never touched here.
    std::optional<LevelFailure> record(std::span<const std::uint8_t> bank, std::int64_t dataOffset,
                                       std::int64_t fileSize, const std::string& what);

    // Every point, oldest first; a point that cannot be read is listed without its contents.
    // A source without a history folder has no points.
    std::vector<HistoryEntry> entries();

    // The point with id, checked against its checksum. Fails with NoSuchPoint or PointDamaged.
    LevelResult<RestorePoint> read(int id);

private:
    std::vector<int> ids(FileStatus& status);
    std::string pathOf(int id) const;

    FileSystem& m_files;
    std::string m_folder;
    int m_sourceKind;
};

// What a write of a bank keeps before it starts: a restore point in history, described by
// what. Without a history the write keeps none, which the command line offers on request.
struct BankWriteNote {
    BankHistory* history = nullptr;
    std::string what;
};

}  // namespace morvane
