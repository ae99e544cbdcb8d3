#include "tool_process.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

extern char** environ;

namespace morvane::test {

ToolRun RunTool(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& input, const ToolUser* user,
                const std::vector<std::string>& unset, const ToolLimits& limits) {
    // Everything is made before the fork: the child only switches user and starts the tool.
    const std::string home = user ? "HOME=" + user->home : "";
    const std::string tmpdir = user ? "TMPDIR=" + user->home : "";
    std::vector<char*> envp, argv{const_cast<char*>(program.c_str())};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string_view entry = *variable;
        const bool removed = std::any_of(unset.begin(), unset.end(), [&](const std::string& name) {
            return entry.starts_with(name + "=");
        });
        if (!removed && (!user || (!entry.starts_with("HOME=") && !entry.starts_with("TMPDIR=")))) {
            envp.push_back(*variable);
        }
    }
    if (user) {
        envp.insert(envp.end(),
                    {const_cast<char*>(home.c_str()), const_cast<char*>(tmpdir.c_str())});
    }
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    envp.push_back(nullptr);
    argv.push_back(nullptr);
    // The tool's standard input, output and error are unnamed temporary files.
    FILE* streams[3] = {std::tmpfile(), std::tmpfile(), std::tmpfile()};
    if (!streams[0] || !streams[1] || !streams[2]) {
        return {};
    }
    std::fwrite(input.data(), 1, input.size(), streams[0]);
    std::fflush(streams[0]);
    std::rewind(streams[0]);
    const pid_t child = ::fork();
    if (child == 0) {
        for (int descriptor = 0; descriptor < 3; ++descriptor) {
            ::dup2(::fileno(streams[descriptor]), descriptor);
        }
        const auto bound = [](int resource, rlim_t value) {
            const rlimit limit{value, value};
            return value == 0 || ::setrlimit(resource, &limit) == 0;
        };
        if ((!limits.inputPath.empty() &&
             ::dup2(::open(limits.inputPath.c_str(), O_RDONLY), 0) != 0) ||
            !bound(RLIMIT_AS, limits.addressSpace) || !bound(RLIMIT_CPU, limits.cpuSeconds)) {
            ::_exit(126);
        }
        if (user && ((::geteuid() == 0 && ::setgroups(0, nullptr) != 0) ||
                     ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0)) {
            ::_exit(126);
        }
        if (::chdir(folder.c_str()) == 0) {
            ::execve(program.c_str(), argv.data(), envp.data());
        }
        ::_exit(127);
    }
    ToolRun run;
    int status = 0;
    ::waitpid(child, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    char buffer[4096];
    for (std::size_t at = 1; at < 3; ++at) {
        std::rewind(streams[at]);
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, streams[at])) > 0;) {
            (at == 1 ? run.out : run.err).append(buffer, got);
        }
    }
    for (FILE* stream : streams) {
        std::fclose(stream);
    }
    return run;
}

}  // namespace morvane::test
