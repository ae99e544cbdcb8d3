#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace morvane::test {

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
// goes on here. As root it runs the current test again as "nobody", in a copy of this test
// program and of programs (the build tree may lie where nobody cannot go) in a new folder under
// /tmp that is also its HOME and TMPDIR, reports the outcome as this test's (skipped when there
// is no such user) and returns true: the caller returns at once.
bool RerunAsUnprivilegedUser(const std::vector<std::string>& programs = {});

// The copy of program that RerunAsUnprivilegedUser put beside this test program, else program.
std::string ProgramToRun(const std::string& program);

}  // namespace morvane::test
