#include "tool_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

namespace morvane::test {

ToolRun RunTool(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& input) {
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
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(127);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
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
