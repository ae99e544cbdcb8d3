#include "leveldata/file_status.h"

#include <cstring>

namespace morvane {

FileStatus FileStatus::FromErrno(FileError error, int errorNumber) {
    return FileStatus{error, std::strerror(errorNumber)};
}

std::string DescribeFileStatus(const FileStatus& status) {
    std::string text;
    switch (status.error) {
        case FileError::None:
            return "no error";
        case FileError::NotFound:
            text = "the file does not exist";
            break;
        case FileError::AccessDenied:
            text = "access to the file was denied";
            break;
        case FileError::NotRegularFile:
            text = "it is not a regular file";
            break;
        case FileError::Closed:
            text = "the file is already closed";
            break;
        case FileError::OpenFailed:
            text = "the file could not be opened";
            break;
        case FileError::ReadFailed:
            text = "the file could not be read";
            break;
        case FileError::WriteFailed:
            text = "the file could not be written";
            break;
        case FileError::FlushFailed:
            text = "the file could not be flushed to disk";
            break;
        case FileError::TruncateFailed:
            text = "the file's length could not be changed";
            break;
        case FileError::CloseFailed:
            text = "the file could not be closed";
            break;
        case FileError::AlreadyExists:
            text = "the file already exists";
            break;
        case FileError::CreateFailed:
            text = "the file could not be created";
            break;
        case FileError::RenameFailed:
            text = "the file could not be renamed";
            break;
        case FileError::RemoveFailed:
            text = "the file could not be removed";
            break;
        case FileError::TooLarge:
            text = "the file is too large";
            break;
        case FileError::Locked:
            text = "another program holds the file's lock";
            break;
        case FileError::SymbolicLink:
            text = "it is a symbolic link";
            break;
        case FileError::OwnedByOtherUser:
            text = "another user owns it";
            break;
        case FileError::WritableByOthers:
#ifdef _WIN32
            // Windows grants access by lists of users and groups, not by mode bits.
            text =
                "users other than its owner may write to it (remove their write access in "
                "its Properties, Security)";
#else
            text = "users other than its owner may write to it (chmod go-w makes it private)";
#endif
            break;
        case FileError::NotADirectory:
            text = "a file of that name is in the way of the folder";
            break;
    }
    if (!status.reason.empty()) {
        text += " (" + status.reason + ")";
    }
    return text;
}

}  // namespace morvane
