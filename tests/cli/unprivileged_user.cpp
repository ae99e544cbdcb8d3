#include "unprivileged_user.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "tool_process.h"

namespace morvane::test {

namespace fs = std::filesystem;

TemporaryMode::TemporaryMode(fs::path path, fs::perms mode)
    : m_path(std::move(path)), m_old(fs::status(m_path).permissions()) {
    fs::permissions(m_path, mode);
}

TemporaryMode::~TemporaryMode() {
    std::error_code error;
    fs::permissions(m_path, m_old, error);
}

bool RerunAsUnprivilegedUser(const std::vector<std::string>& programs) {
    if (::geteuid() != 0) {
        return false;
    }
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || nobody->pw_uid == 0) {
        [] { GTEST_SKIP() << "running as root and there is no user \"nobody\" to run as"; }();
        return true;
    }
    // /tmp rather than the process's temporary folder, which may lie where nobody cannot go.
    std::string name = "/tmp/morvane-unprivileged-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
        ADD_FAILURE() << "cannot make " << name;
        return true;
    }
    const fs::path folder = name;
    const ToolUser user{nobody->pw_uid, nobody->pw_gid, name};
    fs::permissions(folder, fs::perms(0755));
    EXPECT_EQ(::chown(name.c_str(), user.uid, user.gid), 0);
    std::vector<std::string> copies = {fs::read_symlink("/proc/self/exe").string()};
    copies.insert(copies.end(), programs.begin(), programs.end());
    for (const fs::path program : copies) {
        fs::copy_file(program, folder / program.filename());
        fs::permissions(folder / program.filename(), fs::perms(0755));
    }
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const ToolRun run =
        RunTool((folder / fs::path(copies[0]).filename()).string(),
                {std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name()},
                name, {}, &user);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[  PASSED  ] 1 test."), std::string::npos) << run.out << run.err;
    std::error_code error;
    fs::remove_all(folder, error);
    return true;
}

std::string ProgramToRun(const std::string& program) {
    const fs::path copy =
        fs::read_symlink("/proc/self/exe").parent_path() / fs::path(program).filename();
    return fs::exists(copy) ? copy.string() : program;
}

}  // namespace morvane::test
