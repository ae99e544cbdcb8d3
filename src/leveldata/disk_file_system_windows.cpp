#include <windows.h>
// After windows.h, which they build on.
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "leveldata/disk_file_system.h"

// Windows' files through the same class as Linux's. Paths arrive in UTF-8 and are handed to the
// wide (UTF-16) calls, so every name works whatever the system's ANSI code page.
namespace morvane {

namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                             int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), wide.data(),
                          length);
    return wide;
}

std::string Narrow(const wchar_t* text, int length) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(std::size_t(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

// A failed status with the system's own wording of error as the reason.
FileStatus StatusFor(FileError failure, DWORD error) {
    wchar_t* message = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string reason = length > 0 ? Narrow(message, int(length)) : std::string();
    ::LocalFree(message);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    if (reason.empty()) {
        reason = "Windows error " + std::to_string(error);
    }
    return {failure, std::move(reason)};
}

FileError OpenErrorFor(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return FileError::NotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION:
            return FileError::AccessDenied;
        default:
            return FileError::OpenFailed;
    }
}

// The user this program runs as, and the owner its token gives new files: the same user, or for
// an elevated administrator the Administrators group. Both count as this user's own.
struct ThisUser {
    std::vector<std::uint8_t> user;
    std::vector<std::uint8_t> defaultOwner;
    std::wstring userSid;
};

std::vector<std::uint8_t> TokenPart(HANDLE token, TOKEN_INFORMATION_CLASS part) {
    DWORD size = 0;
    ::GetTokenInformation(token, part, nullptr, 0, &size);
    std::vector<std::uint8_t> bytes(size);
    if (size == 0 || !::GetTokenInformation(token, part, bytes.data(), size, &size)) {
        bytes.clear();
    }
    return bytes;
}

std::vector<std::uint8_t> CopySid(PSID sid) {
    const auto* bytes = static_cast<const std::uint8_t*>(sid);
    return {bytes, bytes + ::GetLengthSid(sid)};
}

const ThisUser& CurrentUser() {
    static const ThisUser user = [] {
        ThisUser found;
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
            return found;
        }
        if (const auto part = TokenPart(token, TokenUser); !part.empty()) {
            const PSID sid = reinterpret_cast<const TOKEN_USER*>(part.data())->User.Sid;
            found.user = CopySid(sid);
            wchar_t* text = nullptr;
            if (::ConvertSidToStringSidW(sid, &text)) {
                found.userSid = text;
                ::LocalFree(text);
            }
        }
        if (const auto part = TokenPart(token, TokenOwner); !part.empty()) {
            found.defaultOwner = CopySid(reinterpret_cast<const TOKEN_OWNER*>(part.data())->Owner);
        }
        ::CloseHandle(token);
        return found;
    }();
    return user;
}

bool SameSid(PSID sid, const std::vector<std::uint8_t>& other) {
    return !other.empty() && ::IsValidSid(sid) &&
           ::EqualSid(sid, const_cast<std::uint8_t*>(other.data()));
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    return ::IsWellKnownSid(sid, type);
}

// Security attributes that give this user alone full access, inherited by what a folder holds.
// Other users, and the groups the folder above grants access to, get none.
class PrivateAccess {
public:
    explicit PrivateAccess(bool folder) {
        const std::wstring sddl = std::wstring(L"D:P(A;") + (folder ? L"OICI" : L"") + L";FA;;;" +
                                  CurrentUser().userSid + L")";
        if (!CurrentUser().userSid.empty() &&
            ::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                sddl.c_str(), SDDL_REVISION_1, &m_attributes.lpSecurityDescriptor, nullptr)) {
            m_attributes.nLength = sizeof m_attributes;
        }
    }
    ~PrivateAccess() { ::LocalFree(m_attributes.lpSecurityDescriptor); }
    PrivateAccess(const PrivateAccess&) = delete;
    PrivateAccess& operator=(const PrivateAccess&) = delete;

    bool valid() const { return m_attributes.lpSecurityDescriptor != nullptr; }
    SECURITY_ATTRIBUTES* attributes() { return &m_attributes; }

private:
    SECURITY_ATTRIBUTES m_attributes{};
};

// Writes in progress, over all open files. While one is, a Ctrl+C, a closed console window or a
// logoff waits for it to end before the program stops, as the held signals do on Linux: a write,
// with its restore point and record, is finished first.
std::atomic<int> g_locksHeld{0};

BOOL WINAPI WaitForWrites(DWORD) {
    while (g_locksHeld.load() > 0) {
        ::Sleep(5);
    }
    // Not handled: the default handler ends the program now.
    return FALSE;
}

// Windows locks byte ranges, and a locked range cannot be read through another handle. The lock
// is taken on one byte far past the end of any level bank, so readers never see it; writers
// agree on that byte.
constexpr std::uint64_t kLockOffset = std::uint64_t(1) << 62;

class DiskFile : public ByteFile {
public:
    explicit DiskFile(HANDLE handle) : m_handle(handle) {}
    ~DiskFile() override { close(); }

    FileStatus size(std::int64_t& length) override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return {FileError::Closed, {}};
        }
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(m_handle, &size)) {
            return StatusFor(FileError::ReadFailed, ::GetLastError());
        }
        length = size.QuadPart;
        return {};
    }

    FileStatus readAt(std::int64_t offset, std::span<std::uint8_t> buffer,
                      std::size_t& bytesRead) override {
        bytesRead = 0;
        if (m_handle == INVALID_HANDLE_VALUE) {
            return {FileError::Closed, {}};
        }
        if (offset < 0) {
            return {FileError::ReadFailed, "negative file position"};
        }
        while (bytesRead < buffer.size()) {
            OVERLAPPED at = Position(offset + std::int64_t(bytesRead));
            DWORD got = 0;
            if (!::ReadFile(m_handle, buffer.data() + bytesRead, Chunk(buffer.size() - bytesRead),
                            &got, &at)) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_HANDLE_EOF) {
                    break;
                }
                return StatusFor(FileError::ReadFailed, error);
            }
            if (got == 0) {
                break;
            }
            bytesRead += got;
        }
        return {};
    }

    FileStatus writeAt(std::int64_t offset, std::span<const std::uint8_t> bytes) override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return {FileError::Closed, {}};
        }
        if (offset < 0) {
            return {FileError::WriteFailed, "negative file position"};
        }
        std::size_t written = 0;
        while (written < bytes.size()) {
            OVERLAPPED at = Position(offset + std::int64_t(written));
            DWORD put = 0;
            if (!::WriteFile(m_handle, bytes.data() + written, Chunk(bytes.size() - written), &put,
                             &at)) {
                return StatusFor(FileError::WriteFailed, ::GetLastError());
            }
            if (put == 0) {
                return {FileError::WriteFailed, "the disk took no bytes"};
            }
            written += put;
        }
        return {};
    }

    FileStatus truncate(std::int64_t length) override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return {FileError::Closed, {}};
        }
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = length;
        if (!::SetFileInformationByHandle(m_handle, FileEndOfFileInfo, &end, sizeof end)) {
            return StatusFor(FileError::TruncateFailed, ::GetLastError());
        }
        return {};
    }

    FileStatus flush() override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return {FileError::Closed, {}};
        }
        if (!::FlushFileBuffers(m_handle)) {
            return StatusFor(FileError::FlushFailed, ::GetLastError());
        }
        return {};
    }

    FileStatus close() override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return {FileError::Closed, {}};
        }
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        // Closing the handle lets its lock go.
        if (m_lockDepth > 0) {
            --g_locksHeld;
        }
        m_lockDepth = 0;
        if (!::CloseHandle(handle)) {
            return StatusFor(FileError::CloseFailed, ::GetLastError());
        }
        return {};
    }

    FileStatus lock(std::chrono::milliseconds wait) override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return {FileError::Closed, {}};
        }
        if (m_lockDepth > 0) {
            ++m_lockDepth;
            return {};
        }
        static std::once_flag handlerInstalled;
        std::call_once(handlerInstalled, [] { ::SetConsoleCtrlHandler(WaitForWrites, TRUE); });
        // The lock belongs to this handle: another handle of the file waits, in this process
        // too, and the system lets it go with the handle when a program ends.
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (;;) {
            OVERLAPPED at = Position(std::int64_t(kLockOffset));
            if (::LockFileEx(m_handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                             &at)) {
                m_lockDepth = 1;
                ++g_locksHeld;
                return {};
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
                return StatusFor(FileError::WriteFailed, error);
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return {FileError::Locked, {}};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    bool isLocked() const override { return m_lockDepth > 0; }

    void unlock() override {
        if (m_handle == INVALID_HANDLE_VALUE || m_lockDepth == 0 || --m_lockDepth > 0) {
            return;
        }
        OVERLAPPED at = Position(std::int64_t(kLockOffset));
        ::UnlockFileEx(m_handle, 0, 1, 0, &at);
        --g_locksHeld;
    }

private:
    static OVERLAPPED Position(std::int64_t offset) {
        OVERLAPPED at{};
        at.Offset = DWORD(std::uint64_t(offset) & 0xffffffffu);
        at.OffsetHigh = DWORD(std::uint64_t(offset) >> 32);
        return at;
    }
    // ReadFile and WriteFile take at most a DWORD's count at a time.
    static DWORD Chunk(std::size_t left) { return DWORD(std::min<std::size_t>(left, 1u << 30)); }

    HANDLE m_handle;
    int m_lockDepth = 0;
};

// Every program sharing a file may read, write, rename and remove it while it is open, as on
// Linux: a bank being written can still be read by another program, and renamed over.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Whether a security descriptor's access list lets anyone but this user, the system and the
// administrators write to the entry, change its access or take it over.
bool WritableByOthers(PACL dacl) {
    // No access list at all lets everyone do anything.
    if (!dacl) {
        return true;
    }
    constexpr DWORD kWriting = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                               FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | DELETE |
                               GENERIC_WRITE | GENERIC_ALL;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!::GetAce(dacl, index, &entry)) {
            continue;
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        // Entries that only pass to what a folder will hold do not apply to the folder itself.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
            continue;
        }
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & kWriting) == 0) {
            continue;
        }
        const PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        const bool trusted =
            SameSid(sid, CurrentUser().user) || SameSid(sid, CurrentUser().defaultOwner) ||
            IsWellKnown(sid, WinLocalSystemSid) || IsWellKnown(sid, WinBuiltinAdministratorsSid) ||
            IsWellKnown(sid, WinCreatorOwnerSid);
        if (!trusted) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::unique_ptr<ByteFile> DiskFileSystem::open(const std::string& path, OpenMode mode,
                                               FileStatus& status) {
    const std::wstring name = Wide(path);
    // Look before opening: a folder cannot be opened as a file anyway, and saying so is clearer
    // than the access error Windows gives.
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        status = StatusFor(OpenErrorFor(error), error);
        return nullptr;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        status = {FileError::NotRegularFile, {}};
        return nullptr;
    }
    const DWORD access = GENERIC_READ | (mode == OpenMode::ReadWrite ? GENERIC_WRITE : 0);
    const HANDLE handle = ::CreateFileW(name.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        status = StatusFor(OpenErrorFor(error), error);
        return nullptr;
    }
    auto file = std::make_unique<DiskFile>(handle);
    // Names such as NUL, CON or COM1 open devices, pipes and consoles: only files on a disk are
    // byte arrays.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        status = {FileError::NotRegularFile, {}};
        return nullptr;
    }
    status = {};
    return file;
}

std::unique_ptr<ByteFile> DiskFileSystem::create(const std::string& path, FileAccess access,
                                                 FileStatus& status) {
    // A shared file takes the access its folder passes on; a private one this user's alone.
    PrivateAccess privateAccess(false);
    if (access == FileAccess::Private && !privateAccess.valid()) {
        status = StatusFor(FileError::CreateFailed, ::GetLastError());
        return nullptr;
    }
    const HANDLE handle =
        ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                      access == FileAccess::Private ? privateAccess.attributes() : nullptr,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        status = StatusFor(error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS
                               ? FileError::AlreadyExists
                               : FileError::CreateFailed,
                           error);
        return nullptr;
    }
    status = {};
    return std::make_unique<DiskFile>(handle);
}

FileStatus DiskFileSystem::rename(const std::string& from, const std::string& to) {
    // Only a regular file is ever replaced: a folder, or a symbolic link or junction (a reparse
    // point, which is replaced itself, not what it points to), is something the user never meant
    // to lose. Something put at to between this look and the move is replaced all the same.
    const std::wstring target = Wide(to);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        return {FileError::NotRegularFile, {}};
    }
    // Write-through: the move is on the disk when the call returns.
    if (!::MoveFileExW(Wide(from).c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return StatusFor(FileError::RenameFailed, ::GetLastError());
    }
    return {};
}

FileStatus DiskFileSystem::flushFolder(const std::string&) {
    // Windows offers no flush of a folder's names: its file systems journal them, and renames
    // are written through as they are made.
    return {};
}

FileStatus DiskFileSystem::remove(const std::string& path) {
    if (!::DeleteFileW(Wide(path).c_str())) {
        return StatusFor(FileError::RemoveFailed, ::GetLastError());
    }
    return {};
}

FileStatus DiskFileSystem::makeDirectory(const std::string& path, FileAccess access) {
    PrivateAccess privateAccess(true);
    if (access == FileAccess::Private && !privateAccess.valid()) {
        return StatusFor(FileError::CreateFailed, ::GetLastError());
    }
    const std::wstring name = Wide(path);
    if (::CreateDirectoryW(name.c_str(),
                           access == FileAccess::Private ? privateAccess.attributes() : nullptr)) {
        return {};
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? FileStatus{}
                   : FileStatus{FileError::NotADirectory, {}};
    }
    return StatusFor(error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT
                         ? FileError::AccessDenied
                         : FileError::CreateFailed,
                     error);
}

FileStatus DiskFileSystem::listDirectory(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    std::wstring pattern = Wide(path);
    if (!pattern.empty() && pattern.back() != L'/' && pattern.back() != L'\\') {
        pattern += L'\\';
    }
    pattern += L'*';
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return StatusFor(error == ERROR_DIRECTORY ? FileError::NotFound : OpenErrorFor(error),
                         error);
    }
    do {
        const std::string name = Narrow(entry.cFileName, int(std::wcslen(entry.cFileName)));
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return {};
}

FileStatus DiskFileSystem::inspect(const std::string& path, EntryInfo& info) {
    info = {};
    const std::wstring name = Wide(path);
    // The attributes of the entry itself: a link or junction is not followed.
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return {};
        }
        return StatusFor(OpenErrorFor(error), error);
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        info.type = EntryInfo::Type::SymbolicLink;
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        info.type = EntryInfo::Type::Directory;
    } else if (attributes & FILE_ATTRIBUTE_DEVICE) {
        info.type = EntryInfo::Type::Other;
    } else {
        info.type = EntryInfo::Type::RegularFile;
    }
    // Opened for its security alone, without following a reparse point, so that what is asked
    // about is this entry.
    const HANDLE handle =
        ::CreateFileW(name.c_str(), READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return StatusFor(OpenErrorFor(error), error);
    }
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = ::GetSecurityInfo(handle, SE_FILE_OBJECT,
                                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                          &owner, nullptr, &dacl, nullptr, &descriptor);
    ::CloseHandle(handle);
    if (error != ERROR_SUCCESS) {
        return StatusFor(FileError::OpenFailed, error);
    }
    info.ownedByThisUser =
        SameSid(owner, CurrentUser().user) || SameSid(owner, CurrentUser().defaultOwner);
    info.writableByOthers = WritableByOthers(dacl);
    ::LocalFree(descriptor);
    return {};
}

FileStatus DiskFileSystem::resolveLinks(const std::string& path, std::string& resolved) {
    const std::wstring name = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        resolved = path;
        return {};
    }
    const HANDLE handle = ::CreateFileW(name.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return StatusFor(OpenErrorFor(error), error);
    }
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, target.data(), DWORD(target.size()), 0);
    if (length >= target.size()) {
        target.resize(length);
        length = ::GetFinalPathNameByHandleW(handle, target.data(), DWORD(target.size()), 0);
    }
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (length == 0) {
        return StatusFor(OpenErrorFor(error), error);
    }
    target.resize(length);
    // The final path comes with the \\?\ prefix of long names, which other calls need not see.
    if (target.starts_with(L"\\\\?\\")) {
        target.erase(0, 4);
    }
    resolved = Narrow(target.data(), int(target.size()));
    return {};
}

}  // namespace morvane
