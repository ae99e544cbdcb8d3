#pragma once

#include <string>

namespace morvane {

// What went wrong with a file operation. The operating system's own wording, when there is one,
// travels in FileStatus::reason.
enum class FileError {
    None,
    NotFound,
    AccessDenied,
    NotRegularFile,
    Closed,
    OpenFailed,
    ReadFailed,
    WriteFailed,
    FlushFailed,
    TruncateFailed,
    CloseFailed,
    AlreadyExists,
    CreateFailed,
    RenameFailed,
    RemoveFailed,
    NotADirectory,
    TooLarge,
    // Another open file holds the write lock, and did not let go in time.
    Locked,
    // An entry that must be this user's own plain folder or file is not.
    SymbolicLink,
    OwnedByOtherUser,
    WritableByOthers,
};

struct FileStatus {
    FileError error = FileError::None;
    std::string reason;

    bool ok() const { return error == FileError::None; }

    // Builds a failed status from an errno value, keeping the system's message as the reason.
    static FileStatus FromErrno(FileError error, int errorNumber);
};

// Words a status for a user: what failed and, when known, the operating system's reason.
std::string DescribeFileStatus(const FileStatus& status);

}  // namespace morvane
