#include "memory_file_system.h"

#include <algorithm>
#include <utility>

#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"

namespace morvane {

namespace {

constexpr std::size_t kPage = 4096;

const FileStatus kStopped{FileError::WriteFailed, "the machine stopped"};

class MemoryFile : public ByteFile {
public:
    MemoryFile(std::shared_ptr<MemoryFileData> data, OpenMode mode)
        : m_data(std::move(data)), m_mode(mode) {
        ++m_data->openFiles;
        ++m_data->timesOpened;
    }
    ~MemoryFile() override { close(); }

    FileStatus size(std::int64_t& length) override {
        if (!m_open) {
            return {FileError::Closed, {}};
        }
        if (m_data->clock->stopped()) {
            return kStopped;
        }
        length = std::int64_t(m_data->bytes.size());
        return {};
    }

    FileStatus readAt(std::int64_t offset, std::span<std::uint8_t> buffer,
                      std::size_t& bytesRead) override {
        bytesRead = 0;
        if (!m_open) {
            return {FileError::Closed, {}};
        }
        if (offset < 0 || m_data->clock->stopped()) {
            return {FileError::ReadFailed, "injected read failure"};
        }
        if (!m_data->lowestReadOffset || offset < *m_data->lowestReadOffset) {
            m_data->lowestReadOffset = offset;
        }
        const auto length = std::int64_t(m_data->bytes.size());
        if (offset < length) {
            bytesRead =
                std::size_t(std::min<std::int64_t>(std::int64_t(buffer.size()), length - offset));
            std::copy_n(m_data->bytes.begin() + offset, bytesRead, buffer.begin());
        }
        m_data->bytesRead += std::int64_t(bytesRead);
        return {};
    }

    FileStatus writeAt(std::int64_t offset, std::span<const std::uint8_t> bytes) override {
        if (!m_open) {
            return {FileError::Closed, {}};
        }
        if (m_mode == OpenMode::ReadOnly) {
            return {FileError::WriteFailed, "Bad file descriptor"};
        }
        if (offset < 0) {
            return {FileError::WriteFailed, "negative file position"};
        }
        if (!m_data->clock->tick()) {
            return kStopped;
        }
        const int nth = int(m_data->writes.size());
        const auto& partial = m_data->partialWrite;
        std::size_t allowed = bytes.size();
        if (partial && partial->nth == nth) {
            allowed = std::size_t(
                std::clamp<std::int64_t>(partial->bytes, 0, std::int64_t(bytes.size())));
        }
        m_data->writes.emplace_back(offset, std::int64_t(bytes.size()));
        const auto end = std::size_t(offset) + allowed;
        if (allowed > 0 && m_data->bytes.size() < end) {
            m_data->bytes.resize(end, 0);
        }
        std::copy_n(bytes.begin(), allowed, m_data->bytes.begin() + offset);
        if (allowed > 0 && m_data->alteredWrite == nth) {
            m_data->bytes[std::size_t(offset)] ^= 0xFF;
        }
        if (allowed < bytes.size()) {
            return {FileError::WriteFailed, "No space left on device"};
        }
        return {};
    }

    FileStatus truncate(std::int64_t length) override {
        if (!m_open) {
            return {FileError::Closed, {}};
        }
        if (m_mode == OpenMode::ReadOnly || length < 0) {
            return {FileError::TruncateFailed, "Invalid argument"};
        }
        if (!m_data->clock->tick()) {
            return kStopped;
        }
        m_data->bytes.resize(std::size_t(length), 0);
        return {};
    }

    FileStatus flush() override {
        if (!m_open) {
            return {FileError::Closed, {}};
        }
        if (m_data->failFlush) {
            return {FileError::FlushFailed, "Input/output error"};
        }
        if (!m_data->clock->tick()) {
            return kStopped;
        }
        m_data->flushed = m_data->bytes;
        return {};
    }

    FileStatus close() override {
        if (!m_open) {
            return {FileError::Closed, {}};
        }
        m_open = false;
        --m_data->openFiles;
        if (m_data->lockHolder == this) {
            m_data->lockHolder = nullptr;
        }
        m_lockDepth = 0;
        return {};
    }

    // Nothing else runs while a test waits, so a lock held by another open file is refused
    // at once, as if the wait had run out.
    FileStatus lock(std::chrono::milliseconds) override {
        if (!m_open) {
            return {FileError::Closed, {}};
        }
        if (m_data->beforeLock) {
            std::exchange(m_data->beforeLock, nullptr)();
        }
        if (m_data->lockHolder && m_data->lockHolder != this) {
            return {FileError::Locked, {}};
        }
        m_data->lockHolder = this;
        ++m_lockDepth;
        return {};
    }

    bool isLocked() const override { return m_lockDepth > 0; }

    void unlock() override {
        if (m_lockDepth > 0 && --m_lockDepth == 0 && m_data->lockHolder == this) {
            m_data->lockHolder = nullptr;
        }
    }

private:
    std::shared_ptr<MemoryFileData> m_data;
    OpenMode m_mode;
    bool m_open = true;
    int m_lockDepth = 0;
};

// The pages where a file's bytes and its flushed bytes differ, then -1 when the length does.
std::vector<long> ChangedPages(const MemoryFileData& data) {
    const std::size_t length = std::max(data.bytes.size(), data.flushed.size());
    const auto at = [](const std::vector<std::uint8_t>& bytes, std::size_t index) {
        return index < bytes.size() ? bytes[index] : std::uint8_t{0};
    };
    std::vector<long> pages;
    for (std::size_t page = 0; page * kPage < length; ++page) {
        for (std::size_t index = page * kPage; index < std::min(length, (page + 1) * kPage);
             ++index) {
            if (at(data.bytes, index) != at(data.flushed, index)) {
                pages.push_back(long(page));
                break;
            }
        }
    }
    if (data.bytes.size() != data.flushed.size()) {
        pages.push_back(-1);
    }
    return pages;
}

}  // namespace

bool MemoryCrashClock::tick() {
    if (!operationsLeft) {
        return true;
    }
    if (*operationsLeft <= 0) {
        return false;
    }
    --*operationsLeft;
    return true;
}

std::shared_ptr<MemoryFileData> MemoryFileSystem::add(const std::string& path,
                                                      std::vector<std::uint8_t> bytes) {
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = std::move(bytes);
    data->flushed = data->bytes;
    data->clock = m_clock;
    m_files[path] = data;
    return data;
}

std::unique_ptr<ByteFile> MemoryFileSystem::open(const std::string& path, OpenMode mode,
                                                 FileStatus& status) {
    const auto link = m_links.find(path);
    const auto found = m_files.find(link == m_links.end() ? path : link->second);
    if (found == m_files.end()) {
        status = {FileError::NotFound, "No such file or directory"};
        return nullptr;
    }
    status = {};
    return OpenMemoryFile(found->second, mode);
}

std::shared_ptr<MemoryFileData> MemoryFileSystem::find(const std::string& path) const {
    const auto found = m_files.find(path);
    return found == m_files.end() ? nullptr : found->second;
}

std::vector<std::string> MemoryFileSystem::paths() const {
    std::vector<std::string> names;
    for (const auto& [name, data] : m_files) {
        names.push_back(name);
    }
    return names;
}

std::unique_ptr<ByteFile> MemoryFileSystem::create(const std::string& path, FileAccess,
                                                   FileStatus& status) {
    if (m_files.count(path) || m_folders.count(path)) {
        status = {FileError::AlreadyExists, "File exists"};
        return nullptr;
    }
    if (!m_clock->tick()) {
        status = kStopped;
        return nullptr;
    }
    auto data = add(path, {});
    data->failFlush = createdFileFaults.failFlush;
    data->partialWrite = createdFileFaults.partialWrite;
    data->alteredWrite = createdFileFaults.alteredWrite;
    status = {};
    return OpenMemoryFile(data, OpenMode::ReadWrite);
}

FileStatus MemoryFileSystem::rename(const std::string& from, const std::string& to) {
    const auto found = m_files.find(from);
    if (m_folders.count(to)) {
        return {FileError::NotRegularFile, {}};
    }
    if (failRename || found == m_files.end()) {
        return {FileError::RenameFailed, "No such file or directory"};
    }
    if (!m_clock->tick()) {
        return kStopped;
    }
    auto data = found->second;
    m_files.erase(found);
    m_files[to] = std::move(data);
    return {};
}

FileStatus MemoryFileSystem::remove(const std::string& path) {
    if (!m_files.count(path)) {
        return {FileError::RemoveFailed, "No such file or directory"};
    }
    if (!m_clock->tick()) {
        return kStopped;
    }
    m_files.erase(path);
    return {};
}

FileStatus MemoryFileSystem::makeDirectory(const std::string& path, FileAccess) {
    if (m_files.count(path)) {
        return {FileError::NotADirectory, "File exists"};
    }
    if (failMakeDirectory) {
        return {FileError::AccessDenied, "Permission denied"};
    }
    if (m_folders.count(path)) {
        return {};
    }
    if (!m_clock->tick()) {
        return kStopped;
    }
    m_folders.insert(path);
    return {};
}

FileStatus MemoryFileSystem::listDirectory(const std::string& path,
                                           std::vector<std::string>& names) {
    names.clear();
    if (m_clock->stopped()) {
        return kStopped;
    }
    if (!m_folders.count(path)) {
        return {FileError::NotFound, "No such file or directory"};
    }
    const std::string prefix = path + "/";
    for (const auto& [name, data] : m_files) {
        if (name.starts_with(prefix) && name.find('/', prefix.size()) == std::string::npos) {
            names.push_back(name.substr(prefix.size()));
        }
    }
    return {};
}

FileStatus MemoryFileSystem::inspect(const std::string& path, EntryInfo& info) {
    info = {};
    if (m_clock->stopped()) {
        return kStopped;
    }
    if (m_links.count(path)) {
        info.type = EntryInfo::Type::SymbolicLink;
    } else if (m_files.count(path)) {
        info.type = EntryInfo::Type::RegularFile;
    } else if (m_folders.count(path)) {
        info.type = EntryInfo::Type::Directory;
    }
    return {};
}

FileStatus MemoryFileSystem::resolveLinks(const std::string& path, std::string& resolved) {
    const auto link = m_links.find(path);
    resolved = link == m_links.end() ? path : link->second;
    return {};
}

void MemoryFileSystem::addLink(const std::string& link, const std::string& target) {
    m_links[link] = target;
}

void MemoryFileSystem::crashAfter(int operations) {
    m_clock->operationsLeft = operations;
}

int MemoryFileSystem::unflushedPages(const std::string& path) const {
    const auto data = find(path);
    return data ? int(ChangedPages(*data).size()) : 0;
}

MemoryFileSystem MemoryFileSystem::restarted(const std::string& path, std::uint64_t keep) const {
    MemoryFileSystem after;
    after.m_folders = m_folders;
    after.m_links = m_links;
    for (const auto& [name, data] : m_files) {
        std::vector<std::uint8_t> bytes = data->flushed;
        if (name == path) {
            const auto pages = ChangedPages(*data);
            const bool keepsLength =
                !pages.empty() && pages.back() == -1 && (keep >> (pages.size() - 1) & 1) != 0;
            bytes.resize(std::max(data->bytes.size(), data->flushed.size()), 0);
            for (std::size_t bit = 0; bit < pages.size(); ++bit) {
                if (pages[bit] < 0 || (keep >> bit & 1) == 0) {
                    continue;
                }
                const std::size_t start = std::size_t(pages[bit]) * kPage;
                for (std::size_t index = start; index < std::min(bytes.size(), start + kPage);
                     ++index) {
                    bytes[index] = index < data->bytes.size() ? data->bytes[index] : 0;
                }
            }
            bytes.resize(keepsLength ? data->bytes.size() : data->flushed.size());
        }
        after.add(name, std::move(bytes));
    }
    return after;
}

std::unique_ptr<ByteFile> OpenMemoryFile(std::shared_ptr<MemoryFileData> data, OpenMode mode) {
    return std::make_unique<MemoryFile>(std::move(data), mode);
}

std::optional<std::vector<std::uint8_t>> SavedByCore(std::vector<std::uint8_t> cartridge, int index,
                                                     const LevelMap& map) {
    const auto data = std::make_shared<MemoryFileData>();
    data->bytes = std::move(cartridge);
    const auto file = OpenMemoryFile(data, OpenMode::ReadWrite);
    const LevelLayout layout{98304, true};
    const auto level = LoadLevelFromFile(*file, layout, index);
    const bool saved =
        level.ok() && SaveLevelToFile(*file, layout, index, map, level.value().oldPackedLength,
                                      level.value().levelOffset)
                          .ok();
    return saved ? std::optional(data->bytes) : std::nullopt;
}

}  // namespace morvane
