#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "leveldata/file_status.h"

namespace morvane {

enum class OpenMode { ReadOnly, ReadWrite };

// An open file seen as an array of bytes. Every operation reports failure through its status;
// none throws. Positions are 0-based byte offsets from the start of the file.
class ByteFile {
public:
    virtual ~ByteFile() = default;

    // The file's current length in bytes.
    virtual FileStatus size(std::int64_t& length) = 0;

    // Reads up to buffer.size() bytes at offset. Reaching the end of the file is not a failure:
    // bytesRead tells how many bytes arrived, and the rest of the buffer is left as it was.
    virtual FileStatus readAt(std::int64_t offset, std::span<std::uint8_t> buffer,
                              std::size_t& bytesRead) = 0;

    // Writes all bytes at offset, growing the file when needed. A failed write may have
    // written part of the bytes.
    virtual FileStatus writeAt(std::int64_t offset, std::span<const std::uint8_t> bytes) = 0;

    // Cuts or extends the file to length bytes.
    virtual FileStatus truncate(std::int64_t length) = 0;

    // Makes every write so far durable on the storage device.
    virtual FileStatus flush() = 0;

    // Releases the file. Later calls fail with FileError::Closed. Destroying an open file
    // closes it too, without reporting failure.
    virtual FileStatus close() = 0;

    // Takes the exclusive write lock of the file, waiting up to wait while another open file of
    // it holds the lock; then fails with FileError::Locked. The lock belongs to this open file,
    // so another open file of the same path waits for it, in this process too. Locks nest: each
    // lock() that succeeded takes one unlock(). Closing the file lets the lock go.
    virtual FileStatus lock(std::chrono::milliseconds wait) = 0;
    virtual void unlock() = 0;
    // True while this open file holds the lock.
    virtual bool isLocked() const = 0;
};

// What stands at a path, as the path itself names it: a symbolic link is not followed.
struct EntryInfo {
    enum class Type { Missing, RegularFile, Directory, SymbolicLink, Other };
    Type type = Type::Missing;
    bool ownedByThisUser = true;
    // Users other than the owner, in its group or not, may write to it.
    bool writableByOthers = false;
};

// Who may use a new file or folder: Shared as the user's umask allows (pictures, level files),
// Private only its owner, whatever the umask (restore points and their folder).
enum class FileAccess { Shared, Private };

// Opens files by path. Implementations exist for the operating system's files and for
// in-memory files used by tests.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens path for byte access. On success the caller owns the returned file; on failure it
    // returns nullptr and status says why. Never blocks: anything but a regular file (a FIFO,
    // a device, a directory) is refused with FileError::NotRegularFile.
    virtual std::unique_ptr<ByteFile> open(const std::string& path, OpenMode mode,
                                           FileStatus& status) = 0;

    // Creates path as a new, empty file open for reading and writing, which other users may
    // not write to, nor read when access is Private. Fails with FileError::AlreadyExists when
    // anything exists at path; never replaces a file.
    virtual std::unique_ptr<ByteFile> create(const std::string& path, FileAccess access,
                                             FileStatus& status) = 0;

    // Renames from to to in one step, replacing a regular file at to. Anything else at to (a
    // folder, a device, a symbolic link) is refused with FileError::NotRegularFile and left as
    // it is. The new name is sure to survive a crash only after flushFolder().
    virtual FileStatus rename(const std::string& from, const std::string& to) = 0;

    // Makes the names in the folder that holds path durable: renames, new and removed files.
    virtual FileStatus flushFolder(const std::string& path) = 0;

    // Removes the file at path.
    virtual FileStatus remove(const std::string& path) = 0;

    // Makes the folder path, which other users may not write to, nor enter when access is
    // Private, and makes its name durable; a folder already there is fine, whatever its mode.
    // Fails with FileError::NotADirectory when something else stands at path.
    virtual FileStatus makeDirectory(const std::string& path, FileAccess access) = 0;

    // The names of the entries in folder path, in no particular order. A missing folder fails
    // with FileError::NotFound.
    virtual FileStatus listDirectory(const std::string& path, std::vector<std::string>& names) = 0;

    // What stands at path; a missing entry is not a failure.
    virtual FileStatus inspect(const std::string& path, EntryInfo& info) = 0;

    // The path of the file path names, with symbolic links followed (then absolute), or path
    // itself when it is no link.
    virtual FileStatus resolveLinks(const std::string& path, std::string& resolved) = 0;
};

// Fills buffer with the bytes at offset; bytes past the end of the file count as zero.
// bytesPresent tells how many came from the file.
FileStatus ReadZeroPadded(ByteFile& file, std::int64_t offset, std::span<std::uint8_t> buffer,
                          std::size_t& bytesPresent);

// Reads the whole file at path into bytes. A file longer than maxBytes is refused with
// FileError::TooLarge before anything is read; like open(), it refuses FIFOs and devices.
FileStatus ReadWholeFile(FileSystem& files, const std::string& path, std::int64_t maxBytes,
                         std::vector<std::uint8_t>& bytes);

// Replaces the file at path with bytes, or creates it: the bytes go to a new part file beside
// it, named path + ".part-" and a unique suffix, which is flushed, closed and then renamed over
// path, and the folder is flushed. A failure removes the part file and leaves whatever was at
// path untouched, so path never holds part of the bytes.
FileStatus ReplaceFileContents(FileSystem& files, const std::string& path,
                               std::span<const std::uint8_t> bytes,
                               FileAccess access = FileAccess::Shared);

// The same for several files of one folder, with one flush of the folder at the end. Every
// target is looked at first: a symbolic link or anything but a regular file at one refuses the
// whole write. Then every part file is written and flushed before the first rename. A failure
// before the renames leaves every path untouched; a failed rename leaves the files renamed
// before it replaced. failedPath, when given, gets the target a failure is about.
FileStatus ReplaceFilesInFolder(
    FileSystem& files,
    std::span<const std::pair<std::string, std::span<const std::uint8_t>>> contents,
    FileAccess access = FileAccess::Shared, std::string* failedPath = nullptr);

// Whether ReplaceFilesInFolder could write the file at path now: nothing but a regular file
// stands there, and a file can be made beside it (which is removed again). For a write that
// must not start unless a later one can succeed.
FileStatus CheckReplaceable(FileSystem& files, const std::string& path);

// True when name is that of a part file ReplaceFileContents makes for target (a bare name).
bool IsPartFileOf(std::string_view name, std::string_view target);

}  // namespace morvane
