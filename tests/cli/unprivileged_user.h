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

// For a test that needs permissions to bind: not as root, false. As root, runs the current test
// again as "nobody" from copies of this program and of programs in a new folder under /tmp (its
// HOME and TMPDIR), reports that as this test's outcome (skipped without such a user) and
// returns true: the caller returns at once.
bool RerunAsUnprivilegedUser(const std::vector<std::string>& programs = {});

// The copy of program that RerunAsUnprivilegedUser put beside this test program, else program.
std::string ProgramToRun(const std::string& program);

}  // namespace morvane::test
