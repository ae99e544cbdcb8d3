#include "leveldata/memory_file_system.h"

#include <algorithm>

namespace morvane {

namespace {

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
        length = std::int64_t(m_data->bytes.size());
        return {};
    }

    FileStatus readAt(std::int64_t offset, std::span<std::uint8_t> buffer,
                      std::size_t& bytesRead) override {
        bytesRead = 0;
        if (!m_open) {
            return {FileError::Closed, {}};
        }
        if (m_data->failReads || offset < 0) {
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
        const auto& partial = m_data->partialWrite;
        std::size_t allowed = bytes.size();
        if (partial && partial->nth == int(m_data->writes.size())) {
            allowed = std::size_t(
                std::clamp<std::int64_t>(partial->bytes, 0, std::int64_t(bytes.size())));
        }
        m_data->writes.emplace_back(offset, std::int64_t(bytes.size()));
        const auto end = std::size_t(offset) + allowed;
        if (allowed > 0 && m_data->bytes.size() < end) {
            m_data->bytes.resize(end, 0);
        }
        std::copy_n(bytes.begin(), allowed, m_data->bytes.begin() + offset);
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
        return {};
    }

    FileStatus close() override {
        if (!m_open) {
            return {FileError::Closed, {}};
        }
        m_open = false;
        --m_data->openFiles;
        return {};
    }

private:
    std::shared_ptr<MemoryFileData> m_data;
    OpenMode m_mode;
    bool m_open = true;
};

}  // namespace

std::shared_ptr<MemoryFileData> MemoryFileSystem::add(const std::string& path,
                                                      std::vector<std::uint8_t> bytes) {
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = std::move(bytes);
    m_files[path] = data;
    return data;
}

std::unique_ptr<ByteFile> MemoryFileSystem::open(const std::string& path, OpenMode mode,
                                                 FileStatus& status) {
    const auto found = m_files.find(path);
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

std::unique_ptr<ByteFile> MemoryFileSystem::create(const std::string& path, FileStatus& status) {
    if (m_files.count(path)) {
        status = {FileError::AlreadyExists, "File exists"};
        return nullptr;
    }
    auto data = add(path, {});
    data->failReads = createdFileFaults.failReads;
    data->failFlush = createdFileFaults.failFlush;
    data->partialWrite = createdFileFaults.partialWrite;
    status = {};
    return OpenMemoryFile(data, OpenMode::ReadWrite);
}

FileStatus MemoryFileSystem::rename(const std::string& from, const std::string& to) {
    const auto found = m_files.find(from);
    if (failRename || found == m_files.end()) {
        return {FileError::RenameFailed, "No such file or directory"};
    }
    auto data = found->second;
    m_files.erase(found);
    m_files[to] = std::move(data);
    return {};
}

FileStatus MemoryFileSystem::remove(const std::string& path) {
    if (m_files.erase(path) == 0) {
        return {FileError::RemoveFailed, "No such file or directory"};
    }
    return {};
}

FileStatus MemoryFileSystem::makeDirectory(const std::string& path) {
    if (m_files.count(path)) {
        return {FileError::NotADirectory, "File exists"};
    }
    if (failMakeDirectory) {
        return {FileError::AccessDenied, "Permission denied"};
    }
    m_folders.insert(path);
    return {};
}

FileStatus MemoryFileSystem::listDirectory(const std::string& path,
                                           std::vector<std::string>& names) {
    names.clear();
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

std::unique_ptr<ByteFile> OpenMemoryFile(std::shared_ptr<MemoryFileData> data, OpenMode mode) {
    return std::make_unique<MemoryFile>(std::move(data), mode);
}

}  // namespace morvane
