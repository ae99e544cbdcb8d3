#include "tool_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

extern char** environ;

namespace morvane::test {

ToolRun RunTool(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& input, const ToolUser* user) {
    // The environment is made before the fork: the child only switches user and starts the tool.
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string entry = *variable;
        if (!user || (entry.rfind("HOME=", 0) != 0 && entry.rfind("TMPDIR=", 0) != 0)) {
            environment.push_back(entry);
        }
    }
    if (user) {
        environment.insert(environment.end(), {"HOME=" + user->home, "TMPDIR=" + user->home});
    }
    std::vector<char*> envp;
    for (auto& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    int inPipe[2], outPipe[2], errPipe[2];
    if (::pipe(inPipe) || ::pipe(outPipe) || ::pipe(errPipe)) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(inPipe[0], 0);
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        for (int descriptor :
             {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
            ::close(descriptor);
        }
        if (user && ((::geteuid() == 0 && ::setgroups(0, nullptr) != 0) ||
                     ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0)) {
            ::_exit(126);
        }
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(127);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(inPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    // Small inputs fit the pipe's buffer; the tool reads all of it before it writes much.
    if (!input.empty()) {
        [[maybe_unused]] auto written = ::write(inPipe[1], input.data(), input.size());
    }
    ::close(inPipe[1]);

    ToolRun run;
    std::array<pollfd, 2> streams = {pollfd{outPipe[0], POLLIN, 0}, pollfd{errPipe[0], POLLIN, 0}};
    int open = 2;
    char buffer[4096];
    while (open > 0 && ::poll(streams.data(), streams.size(), 10000) > 0) {
        for (std::size_t at = 0; at < streams.size(); ++at) {
            if (streams[at].fd < 0 || !(streams[at].revents & (POLLIN | POLLHUP))) {
                continue;
            }
            const ssize_t got = ::read(streams[at].fd, buffer, sizeof buffer);
            if (got <= 0) {
                ::close(streams[at].fd);
                streams[at].fd = -1;
                --open;
            } else {
                (at == 0 ? run.out : run.err).append(buffer, std::size_t(got));
            }
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace morvane::test
