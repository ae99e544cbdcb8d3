#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tool_process.h"

namespace morvane::test {

// The user that cases about refused reads and writes run as. Root passes every permission
// check, so a test process running as root hands those cases to the user "nobody"; any other
// user is bound by permissions already and runs them itself.
class UnprivilegedUser {
public:
    // The user, or nullopt when this process runs as root and the system has no "nobody".
    static std::optional<UnprivilegedUser> Find();

    // True when the cases run as another user than this process's.
    bool isOtherUser() const { return m_other; }

    // Runs program as the user in folder, with HOME and TMPDIR set to home, which the user
    // must own.
    ToolRun run(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& home) const;

    // Hands path to the user; nothing to do when the user is this process's own.
    void own(const std::filesystem::path& path) const;

private:
    UnprivilegedUser(uid_t uid, gid_t gid, bool other) : m_uid(uid), m_gid(gid), m_other(other) {}

    uid_t m_uid;
    gid_t m_gid;
    bool m_other;
};

// A new folder under /tmp that user owns and every user can reach, even when this process's
// temporary folder or build tree cannot be; removed with all it holds, whatever modes a test
// left on it.
class UnprivilegedFolder {
public:
    explicit UnprivilegedFolder(const UnprivilegedUser& user);
    ~UnprivilegedFolder();
    UnprivilegedFolder(const UnprivilegedFolder&) = delete;
    UnprivilegedFolder& operator=(const UnprivilegedFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Copies program into the folder, where the user can run it; returns the copy's path.
    std::string copyProgram(const std::string& program) const;

private:
    std::filesystem::path m_path;
};

// Sets path's permission bits for the life of the object, then puts the old ones back.
class TemporaryMode {
public:
    TemporaryMode(std::filesystem::path path, std::filesystem::perms mode);
    ~TemporaryMode();
    TemporaryMode(const TemporaryMode&) = delete;
    TemporaryMode& operator=(const TemporaryMode&) = delete;

private:
    std::filesystem::path m_path;
    std::filesystem::perms m_old;
};

// For a test whose checks need permissions to bind. Not as root it returns false and the test
// goes on here. As root it runs the current test again in a copy of this test program as
// "nobody", reports the outcome as this test's (skipped when there is no such user) and returns
// true: the caller returns at once.
bool RerunAsUnprivilegedUser();

}  // namespace morvane::test
