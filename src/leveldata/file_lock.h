#pragma once

#include <chrono>

#include "leveldata/byte_file.h"

namespace morvane {

// Holds the write lock of an open file from a successful acquire() until it goes out of scope.
// The file must outlive it.
class FileLock {
public:
    explicit FileLock(ByteFile& file) : m_file(file) {}
    ~FileLock() {
        if (m_held) {
            m_file.unlock();
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits up to wait for the lock; fails with FileError::Locked when another open file of
    // the same file keeps it that long.
    FileStatus acquire(std::chrono::milliseconds wait) {
        const FileStatus status = m_held ? FileStatus{} : m_file.lock(wait);
        m_held = status.ok();
        return status;
    }

private:
    ByteFile& m_file;
    bool m_held = false;
};

}  // namespace morvane
