#pragma once

#include <string>
#include <vector>

namespace morvane::test {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs program with arguments in folder, feeding input on its standard input, and waits for it.
ToolRun RunTool(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& input = {});

}  // namespace morvane::test
