#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tool_process.h"

namespace morvane::test {

// A test's own folder under the temporary folder, removed after it, with its files and the
// command-line tool run in it.
class ToolFolder : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(m_folder); }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    void write(const std::string& name, const auto& bytes) {
        std::ofstream(m_folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::vector<std::uint8_t> read(const std::string& name) {
        const std::string bytes = text(name);
        return {bytes.begin(), bytes.end()};
    }
    std::string text(const std::string& name) {
        std::ifstream in(m_folder / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    ToolRun run(const std::vector<std::string>& arguments, const std::string& input = {}) {
        return RunTool(MORVANE_LEVELS_TOOL, arguments, m_folder.string(), input);
    }

    std::filesystem::path m_folder =
        std::filesystem::temp_directory_path() /
        ("morvane-" + std::to_string(::getpid()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

}  // namespace morvane::test
