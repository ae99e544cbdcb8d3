#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace morvane::test {

// The running test's own folder under the temporary folder, removed with the object, and its
// files.
struct TestFolder {
    TestFolder() { std::filesystem::create_directories(m_folder); }
    ~TestFolder() { std::filesystem::remove_all(m_folder); }

    void write(const std::string& name, const auto& bytes) const {
        std::ofstream(m_folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::vector<std::uint8_t> read(const std::string& name) const {
        const std::string bytes = text(name);
        return {bytes.begin(), bytes.end()};
    }
    std::string text(const std::string& name) const {
        std::ifstream in(m_folder / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path m_folder =
        std::filesystem::temp_directory_path() /
        ("morvane-" + std::to_string(::getpid()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

}  // namespace morvane::test
