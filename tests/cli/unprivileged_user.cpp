#include "unprivileged_user.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace morvane::test {

namespace fs = std::filesystem;

std::optional<UnprivilegedUser> UnprivilegedUser::Find() {
    if (::geteuid() != 0) {
        return UnprivilegedUser(::getuid(), ::getgid(), false);
    }
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || nobody->pw_uid == 0) {
        return std::nullopt;
    }
    return UnprivilegedUser(nobody->pw_uid, nobody->pw_gid, true);
}

ToolRun UnprivilegedUser::run(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& folder, const std::string& home) const {
    const ToolUser user{m_uid, m_gid, {"HOME=" + home, "TMPDIR=" + home}};
    return RunTool(program, arguments, folder, {}, &user);
}

void UnprivilegedUser::own(const fs::path& path) const {
    if (m_other) {
        EXPECT_EQ(::chown(path.c_str(), m_uid, m_gid), 0) << path;
    }
}

UnprivilegedFolder::UnprivilegedFolder(const UnprivilegedUser& user) {
    // /tmp rather than the process's temporary folder, which may lie where the user cannot go.
    std::string name = "/tmp/morvane-unprivileged-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
        ADD_FAILURE() << "cannot make " << name;
        return;
    }
    m_path = name;
    fs::permissions(m_path, fs::perms(0755));
    user.own(m_path);
}

UnprivilegedFolder::~UnprivilegedFolder() {
    if (m_path.empty()) {
        return;
    }
    // Folders a test made read-only are opened up first so that their entries can go.
    std::error_code error;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, error);
    for (auto entry = fs::recursive_directory_iterator(m_path, error);
         entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        if (entry->is_directory(error) && !entry->is_symlink(error)) {
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::remove_all(m_path, error);
}

std::string UnprivilegedFolder::copyProgram(const std::string& program) const {
    const fs::path copy = m_path / fs::path(program).filename();
    fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
    fs::permissions(copy, fs::perms(0755));
    return copy.string();
}

TemporaryMode::TemporaryMode(fs::path path, fs::perms mode)
    : m_path(std::move(path)), m_old(fs::status(m_path).permissions()) {
    fs::permissions(m_path, mode);
}

TemporaryMode::~TemporaryMode() {
    std::error_code error;
    fs::permissions(m_path, m_old, error);
}

bool RerunAsUnprivilegedUser() {
    if (::geteuid() != 0) {
        return false;
    }
    const auto user = UnprivilegedUser::Find();
    if (!user) {
        [] { GTEST_SKIP() << "running as root and there is no user \"nobody\" to run as"; }();
        return true;
    }
    const UnprivilegedFolder folder(*user);
    // The program is copied because the build tree may lie where nobody cannot go (under /root).
    const std::string program = folder.copyProgram(fs::read_symlink("/proc/self/exe").string());
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(test->test_suite_name()) + "." + test->name();
    const ToolRun run =
        user->run(program, {"--gtest_filter=" + name}, folder.path(), folder.path().string());
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[  PASSED  ] 1 test."), std::string::npos) << run.out << run.err;
    return true;
}

}  // namespace morvane::test
