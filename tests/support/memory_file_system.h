#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "leveldata/byte_file.h"
#include "leveldata/level_map.h"

namespace morvane {

// Counts the changing operations of a file system and its files toward a simulated crash:
// once operationsLeft reaches zero the machine has stopped, and every later operation fails
// without effect.
struct MemoryCrashClock {
    std::optional<int> operationsLeft;

    bool stopped() const { return operationsLeft && *operationsLeft <= 0; }
    // Counts one changing operation; false when the machine stopped before it.
    bool tick();
};

// The contents of one in-memory file, with a record of how it was used and switches that make
// its operations fail. Tests keep a pointer to it and look at it after the code under test ran.
struct MemoryFileData {
    std::vector<std::uint8_t> bytes;
    // The bytes as of the last flush: what a crash is sure to keep.
    std::vector<std::uint8_t> flushed;
    std::shared_ptr<MemoryCrashClock> clock = std::make_shared<MemoryCrashClock>();
    // The open file that holds the write lock, if any.
    const void* lockHolder = nullptr;
    // Runs once, as the next lock is asked for: another writer that gets there first.
    std::function<void()> beforeLock;

    // Usage record.
    int openFiles = 0;
    int timesOpened = 0;
    std::int64_t bytesRead = 0;
    std::optional<std::int64_t> lowestReadOffset;
    std::vector<std::pair<std::int64_t, std::int64_t>> writes;  // offset and length of each

    // Fault injection. A partial write makes write number `nth` (counted from 0 over the
    // file's life) store only its first `bytes` bytes and fail; other writes succeed.
    struct PartialWrite {
        int nth = 0;
        std::int64_t bytes = 0;
    };
    bool failFlush = false;
    std::optional<PartialWrite> partialWrite;
    // Write number nth stores its bytes with the first one inverted, and reports success: a
    // disk that does not keep what it was given.
    std::optional<int> alteredWrite;
};

// Files held in memory, by path. Opening a path that was never added fails with NotFound.
class MemoryFileSystem : public FileSystem {
public:
    // Adds or replaces the file at path and returns its data for inspection.
    std::shared_ptr<MemoryFileData> add(const std::string& path, std::vector<std::uint8_t> bytes);

    // The file at path, or nullptr.
    std::shared_ptr<MemoryFileData> find(const std::string& path) const;
    // The paths of every file, in order.
    std::vector<std::string> paths() const;

    std::unique_ptr<ByteFile> open(const std::string& path, OpenMode mode,
                                   FileStatus& status) override;
    std::unique_ptr<ByteFile> create(const std::string& path, FileAccess access,
                                     FileStatus& status) override;
    FileStatus rename(const std::string& from, const std::string& to) override;
    // Names change at once in memory, and a crash keeps them.
    FileStatus flushFolder(const std::string&) override { return {}; }
    FileStatus remove(const std::string& path) override;
    FileStatus makeDirectory(const std::string& path, FileAccess access) override;
    FileStatus listDirectory(const std::string& path, std::vector<std::string>& names) override;
    FileStatus inspect(const std::string& path, EntryInfo& info) override;
    FileStatus resolveLinks(const std::string& path, std::string& resolved) override;
    // Makes link a symbolic link to the file at target, which opening link opens.
    void addLink(const std::string& link, const std::string& target);

    // Stops the machine after operations more changing operations (writes, cuts, flushes,
    // creates, renames, removes, new folders) of this file system and its files.
    void crashAfter(int operations);
    // True once the machine stopped.
    bool crashed() const { return m_clock->stopped(); }

    // The 4 KB pages of the file at path whose bytes were not flushed: what a crash may keep or
    // drop, each on its own. The file's length counts as one more page when it changed.
    int unflushedPages(const std::string& path) const;
    // The files as the machine finds them after the crash: each file holds its flushed bytes,
    // except the file at path, which also keeps unflushed page n when bit n of keep is set.
    // Names and folders changed when their operation did.
    MemoryFileSystem restarted(const std::string& path, std::uint64_t keep) const;

    // Fault injection for files made by create(): their fault switches start as these.
    MemoryFileData createdFileFaults;
    bool failRename = false;
    bool failMakeDirectory = false;

private:
    std::map<std::string, std::shared_ptr<MemoryFileData>> m_files;
    std::set<std::string> m_folders;
    std::map<std::string, std::string> m_links;
    std::shared_ptr<MemoryCrashClock> m_clock = std::make_shared<MemoryCrashClock>();
};

// Opens an in-memory file directly over data, for tests that need no file system.
std::unique_ptr<ByteFile> OpenMemoryFile(std::shared_ptr<MemoryFileData> data, OpenMode mode);

// The bytes of a cartridge dump after the core saved map as its level index, what the editor's
// and the tool's saves must write; nothing when the core refused.
std::optional<std::vector<std::uint8_t>> SavedByCore(std::vector<std::uint8_t> cartridge, int index,
                                                     const LevelMap& map);

}  // namespace morvane
