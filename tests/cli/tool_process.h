#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::test {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Another user to run a tool as, with HOME and TMPDIR set to home.
struct ToolUser {
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
    std::string home;
};

// Bounds for a tool fed hostile input: its address space and CPU time (0: none), and a file
// for its standard input instead of the input text (such as /dev/zero, an endless stream).
struct ToolLimits {
    std::uint64_t addressSpace = 0;
    std::uint64_t cpuSeconds = 0;
    std::string inputPath = {};
};

// Runs program with arguments in folder, feeding input on its standard input, and waits for it.
// With user, the tool runs as that user, with no supplementary groups; switching needs root.
// The tool's environment is this process's less the variables named in unset.
// A tool that cannot be started exits with 127, one whose user cannot be set with 126. Windows
// has no user to switch to, and no test there needs limits or variables unset: there a run
// with any of them exits with 126.
ToolRun RunTool(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& input = {},
                const ToolUser* user = nullptr, const std::vector<std::string>& unset = {},
                const ToolLimits& limits = {});

}  // namespace morvane::test
