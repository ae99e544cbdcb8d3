#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "leveldata/byte_file.h"
#include "leveldata/level_failure.h"
#include "leveldata/restore_point.h"
#include "leveldata/unfinished_write.h"

namespace morvane {

// A restore point's id written as text: decimal digits without a sign or a leading zero, a
// whole positive number that fits 64 bits; anything else is not an id.
std::optional<std::int64_t> ParsePointId(std::string_view text);

// One point of a history listing: its id, and the point or why it cannot be read.
struct HistoryEntry {
    std::int64_t id = 0;
    LevelResult<RestorePoint> point;
};

// The restore points of one source file, kept in a folder beside it named after it:
// "bank.bin" keeps its points in "bank.bin.history/", one file "<id>.point" each; a name that
// is a symbolic link uses the history of the file it points to. Ids count up
// from 1 and are never reused, since the newest point is never removed; the newest kKeptPoints
// points are kept and older ones removed. The folder also holds the record of a bank write
// under way ("under-way").
//
// The folder must be this user's own, a real folder that other users may not write to, and so
// must every point: anything else could slip forged points in or turn pruning against other
// files, so it is refused, naming the folder or the point.
class BankHistory {
public:
    static constexpr int kKeptPoints = 100;

    // files is used for every access and must outlive the history. sourcePath is the source
    // file's path as the caller opens it; sourceKind its kind's value, stored in each point.
    BankHistory(FileSystem& files, std::string sourcePath, int sourceKind);

    const std::string& sourcePath() const { return m_sourcePath; }
    // The name of the source's file, links followed, as records of writes under way name it.
    const std::string& fileName() const { return m_fileName; }
    const std::string& folder() const { return m_folder; }
    int sourceKind() const { return m_sourceKind; }

    // Keeps the bank as it stands as a point described by what and, when record is given,
    // records that a write is under way, the record naming the point. bank holds the bytes the
    // file has from dataOffset on (at most 16384; fewer when the file ends inside the bank) and
    // fileSize is the file's length. Both are complete and flushed, with one flush of the
    // folder, when this returns the point's id. A bank equal to the newest point's is not
    // stored again: the newest point's id is returned. Part files that earlier runs left behind
    // are removed first. Fails with HistoryFailed when the folder, the point or the record
    // cannot be made, or no id is left; the source file is never touched here.
    LevelResult<std::int64_t> keepPoint(std::span<const std::uint8_t> bank, std::int64_t dataOffset,
                                        std::int64_t fileSize, const std::string& what,
                                        std::optional<UnfinishedWrite> record = {});

    // Every point, oldest first; a point that cannot be read is listed with its failure. A
    // source without a history folder has no points; a folder that cannot be read or is not
    // safe to use fails with HistoryUnreadable.
    LevelResult<std::vector<HistoryEntry>> entries();
    // The ids of every point, oldest first, for reading them one at a time; fails as entries().
    LevelResult<std::vector<std::int64_t>> pointIds();

    // The point with id, checked against its checksum. Fails with NoSuchPoint, PointUnreadable,
    // PointDamaged or HistoryUnreadable.
    LevelResult<RestorePoint> read(std::int64_t id);

    // Records, flushed, that a write described by record is under way, without a new point (a
    // write from the newest point's bank, or the repair of an interrupted write); fails with
    // HistoryFailed.
    std::optional<LevelFailure> recordWrite(const UnfinishedWrite& record);
    // Records that the write finished. A record that stays is found by the next write, which
    // sees from the bank that the write finished.
    void endWrite();
    // The record of a write that did not finish, if any. Fails with HistoryFailed when the
    // folder cannot be read, and with RecordUnusable when the record cannot be read, is not
    // safe to trust or is damaged: no write may go on then.
    LevelResult<std::optional<UnfinishedWrite>> unfinishedWrite();
    // Where the record of a write under way is kept.
    std::string recordPath() const;

private:
    // Checks the folder; a missing one is made when create is set, else reported as NotFound.
    FileStatus checkFolder(bool create);
    std::vector<std::int64_t> ids(FileStatus& status) const;
    // True when the file of point id is this user's own and its header reads as that point's;
    // the bank is not read.
    bool readHeader(std::int64_t id);
    std::string pathOf(std::int64_t id) const;
    // Reads the folder's file at path, which must be this user's own regular file; a missing
    // one fails with NotFound, a larger one than maxBytes with TooLarge.
    FileStatus readOwnFile(const std::string& path, std::int64_t maxBytes,
                           std::vector<std::uint8_t>& bytes);
    LevelFailure failed(FileStatus status) const;
    LevelFailure unreadable(FileStatus status) const;

    FileSystem& m_files;
    std::string m_sourcePath;
    std::string m_fileName;
    std::string m_folder;
    int m_sourceKind;
};

}  // namespace morvane
