#pragma once

#include "test_folder.h"
#include "tool_process.h"

namespace morvane::test {

// A test's own folder with the command-line tool run in it.
class ToolFolder : public ::testing::Test, protected TestFolder {
protected:
    ToolRun run(const std::vector<std::string>& arguments, const std::string& input = {}) {
        return RunTool(MORVANE_LEVELS_TOOL, arguments, m_folder.string(), input);
    }
};

// A refusal: exit status 1 and error, after the tool's name, on standard error.
inline void ExpectRefused(const ToolRun& run, const std::string& error) {
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.err, "morvane-levels: " + error + "\n");
}

}  // namespace morvane::test
