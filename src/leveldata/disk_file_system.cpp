#include "leveldata/disk_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace morvane {

namespace {

FileError OpenErrorFor(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
        case ENOTDIR:
            return FileError::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return FileError::AccessDenied;
        default:
            return FileError::OpenFailed;
    }
}

class DiskFile : public ByteFile {
public:
    explicit DiskFile(int descriptor) : m_descriptor(descriptor) {}
    ~DiskFile() override { close(); }

    FileStatus size(std::int64_t& length) override {
        if (m_descriptor < 0) {
            return {FileError::Closed, {}};
        }
        struct stat info {};
        if (::fstat(m_descriptor, &info) != 0) {
            return FileStatus::FromErrno(FileError::ReadFailed, errno);
        }
        length = info.st_size;
        return {};
    }

    FileStatus readAt(std::int64_t offset, std::span<std::uint8_t> buffer,
                      std::size_t& bytesRead) override {
        bytesRead = 0;
        if (m_descriptor < 0) {
            return {FileError::Closed, {}};
        }
        if (offset < 0) {
            return {FileError::ReadFailed, "negative file position"};
        }
        while (bytesRead < buffer.size()) {
            const ssize_t got =
                ::pread(m_descriptor, buffer.data() + bytesRead, buffer.size() - bytesRead,
                        static_cast<off_t>(offset + std::int64_t(bytesRead)));
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return FileStatus::FromErrno(FileError::ReadFailed, errno);
            }
            if (got == 0) {
                break;
            }
            bytesRead += std::size_t(got);
        }
        return {};
    }

    FileStatus writeAt(std::int64_t offset, std::span<const std::uint8_t> bytes) override {
        if (m_descriptor < 0) {
            return {FileError::Closed, {}};
        }
        if (offset < 0) {
            return {FileError::WriteFailed, "negative file position"};
        }
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t put =
                ::pwrite(m_descriptor, bytes.data() + written, bytes.size() - written,
                         static_cast<off_t>(offset + std::int64_t(written)));
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return FileStatus::FromErrno(FileError::WriteFailed, errno);
            }
            written += std::size_t(put);
        }
        return {};
    }

    FileStatus truncate(std::int64_t length) override {
        if (m_descriptor < 0) {
            return {FileError::Closed, {}};
        }
        if (::ftruncate(m_descriptor, static_cast<off_t>(length)) != 0) {
            return FileStatus::FromErrno(FileError::TruncateFailed, errno);
        }
        return {};
    }

    FileStatus flush() override {
        if (m_descriptor < 0) {
            return {FileError::Closed, {}};
        }
        if (::fsync(m_descriptor) != 0) {
            return FileStatus::FromErrno(FileError::FlushFailed, errno);
        }
        return {};
    }

    FileStatus close() override {
        if (m_descriptor < 0) {
            return {FileError::Closed, {}};
        }
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        if (m_lockDepth > 0) {
            // Closing lets the locks go, and with them the signals held during the write.
            ReleaseSignals(m_signalMask);
        }
        m_lockDepth = 0;
        // The descriptor is gone after close() even when it reports an error, so it is never
        // closed twice.
        if (::close(descriptor) != 0) {
            return FileStatus::FromErrno(FileError::CloseFailed, errno);
        }
        return {};
    }

    FileStatus lock(std::chrono::milliseconds wait) override {
        if (m_descriptor < 0) {
            return {FileError::Closed, {}};
        }
        if (m_lockDepth > 0) {
            ++m_lockDepth;
            return {};
        }
        // An open-file-description lock over the whole file: it belongs to this descriptor,
        // so it conflicts with other descriptors of the file in this process too, and goes
        // with the descriptor when a crashed program's files are closed; no lock file is left.
        // flock() is taken too, since shell scripts hold files with flock(1), which POSIX
        // locks do not see.
        struct flock region {};
        region.l_type = F_WRLCK;
        region.l_whence = SEEK_SET;
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (;;) {
            if (::fcntl(m_descriptor, F_OFD_SETLK, &region) == 0) {
                if (::flock(m_descriptor, LOCK_EX | LOCK_NB) == 0) {
                    m_lockDepth = 1;
                    HoldSignals(m_signalMask);
                    return {};
                }
                const int error = errno;
                region.l_type = F_UNLCK;
                ::fcntl(m_descriptor, F_OFD_SETLK, &region);
                region.l_type = F_WRLCK;
                errno = error == EWOULDBLOCK ? EAGAIN : error;
            }
            if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
                return FileStatus::FromErrno(FileError::WriteFailed, errno);
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return {FileError::Locked, {}};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    bool isLocked() const override { return m_lockDepth > 0; }

    void unlock() override {
        if (m_descriptor < 0 || m_lockDepth == 0 || --m_lockDepth > 0) {
            return;
        }
        ::flock(m_descriptor, LOCK_UN);
        struct flock region {};
        region.l_type = F_UNLCK;
        region.l_whence = SEEK_SET;
        ::fcntl(m_descriptor, F_OFD_SETLK, &region);
        // A Ctrl+C, SIGTERM or SIGHUP that came during the write takes effect now.
        ReleaseSignals(m_signalMask);
    }

private:
    // While a writer holds the lock, the signals that end a program by default wait: a write,
    // with its restore point and record, is finished before the program stops. The mask in
    // force before is kept in saved.
    static void HoldSignals(sigset_t& saved) {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kHeldSignals) {
            sigaddset(&held, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &held, &saved);
    }
    // Lets the held signals through again, those that were not held before: a signal that came
    // meanwhile takes effect now.
    static void ReleaseSignals(const sigset_t& saved) {
        sigset_t released;
        sigemptyset(&released);
        for (const int signal : kHeldSignals) {
            if (!sigismember(&saved, signal)) {
                sigaddset(&released, signal);
            }
        }
        ::pthread_sigmask(SIG_UNBLOCK, &released, nullptr);
    }
    static constexpr int kHeldSignals[] = {SIGINT, SIGTERM, SIGHUP};

    int m_descriptor;
    int m_lockDepth = 0;
    sigset_t m_signalMask{};
};

// Flushes the folder that holds path, so that a new or renamed name in it survives a crash. A
// folder that cannot be opened or flushed leaves the change made.
void FlushFolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

}  // namespace

std::unique_ptr<ByteFile> DiskFileSystem::open(const std::string& path, OpenMode mode,
                                               FileStatus& status) {
    // Look before opening: opening a device can have effects of its own (a tape rewinds, a
    // terminal becomes the controlling one), and a FIFO without a writer would block.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        status = FileStatus::FromErrno(OpenErrorFor(errno), errno);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        status = {FileError::NotRegularFile, {}};
        return nullptr;
    }
    const int access = mode == OpenMode::ReadWrite ? O_RDWR : O_RDONLY;
    const int descriptor = ::open(path.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        status = FileStatus::FromErrno(OpenErrorFor(errno), errno);
        return nullptr;
    }
    auto file = std::make_unique<DiskFile>(descriptor);
    // The path may have been replaced between stat() and open(); check what was opened.
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        status = {FileError::NotRegularFile, {}};
        return nullptr;
    }
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        status = FileStatus::FromErrno(FileError::OpenFailed, errno);
        return nullptr;
    }
    status = {};
    return file;
}

std::unique_ptr<ByteFile> DiskFileSystem::create(const std::string& path, FileAccess access,
                                                 FileStatus& status) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC,
                                  access == FileAccess::Private ? 0600 : 0664);
    if (descriptor < 0) {
        status = FileStatus::FromErrno(
            errno == EEXIST ? FileError::AlreadyExists : FileError::CreateFailed, errno);
        return nullptr;
    }
    status = {};
    return std::make_unique<DiskFile>(descriptor);
}

FileStatus DiskFileSystem::rename(const std::string& from, const std::string& to) {
    // Only a regular file is ever replaced: renaming over a device, a FIFO, a socket or a
    // symbolic link would put a plain file in place of something the user never meant to lose
    // (a link is replaced itself, not the file it points to). lstat() sees the link, not its
    // target. Something put at to between this look and the rename is replaced all the same.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return {FileError::NotRegularFile, {}};
    }
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        return FileStatus::FromErrno(FileError::RenameFailed, errno);
    }
    return {};
}

FileStatus DiskFileSystem::flushFolder(const std::string& path) {
    // A name lives in its folder's own data, which a flush of the file does not reach.
    FlushFolderOf(path);
    return {};
}

FileStatus DiskFileSystem::remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        return FileStatus::FromErrno(FileError::RemoveFailed, errno);
    }
    return {};
}

FileStatus DiskFileSystem::makeDirectory(const std::string& path, FileAccess access) {
    if (::mkdir(path.c_str(), access == FileAccess::Private ? 0700 : 0775) == 0) {
        // The new folder's name lives in its parent.
        std::string name = path;
        while (name.size() > 1 && name.back() == '/') {
            name.pop_back();
        }
        FlushFolderOf(name);
        return {};
    }
    const int error = errno;
    struct stat info {};
    if (error == EEXIST && ::stat(path.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode) ? FileStatus{} : FileStatus{FileError::NotADirectory, {}};
    }
    return FileStatus::FromErrno(error == EACCES || error == EPERM || error == EROFS
                                     ? FileError::AccessDenied
                                     : FileError::CreateFailed,
                                 error);
}

FileStatus DiskFileSystem::listDirectory(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    DIR* folder = ::opendir(path.c_str());
    if (!folder) {
        return FileStatus::FromErrno(OpenErrorFor(errno), errno);
    }
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(folder);
    return {};
}

FileStatus DiskFileSystem::inspect(const std::string& path, EntryInfo& info) {
    info = {};
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        if (errno == ENOENT) {
            return {};
        }
        return FileStatus::FromErrno(OpenErrorFor(errno), errno);
    }
    if (S_ISREG(entry.st_mode)) {
        info.type = EntryInfo::Type::RegularFile;
    } else if (S_ISDIR(entry.st_mode)) {
        info.type = EntryInfo::Type::Directory;
    } else if (S_ISLNK(entry.st_mode)) {
        info.type = EntryInfo::Type::SymbolicLink;
    } else {
        info.type = EntryInfo::Type::Other;
    }
    info.ownedByThisUser = entry.st_uid == ::geteuid();
    info.writableByOthers = (entry.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return {};
}

FileStatus DiskFileSystem::resolveLinks(const std::string& path, std::string& resolved) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) {
        resolved = path;
        return {};
    }
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        return FileStatus::FromErrno(OpenErrorFor(errno), errno);
    }
    resolved = real;
    std::free(real);
    return {};
}

}  // namespace morvane
