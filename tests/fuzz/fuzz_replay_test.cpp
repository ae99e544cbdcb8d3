// Replays the fuzzers' seed corpus and every finding kept under tests/fuzz/findings as
// ordinary tests, so a fixed crash stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fuzz_seeds.h"
#include "fuzz_targets.h"

namespace morvane::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<demo::NamedBytes> Findings(const std::string& target) {
    std::vector<demo::NamedBytes> inputs;
    const fs::path folder = fs::path(MORVANE_FUZZ_FINDINGS) / target;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() != ".gitkeep") {
            std::ifstream in(entry.path(), std::ios::binary);
            inputs.emplace_back(entry.path().filename().string(),
                                std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                                          std::istreambuf_iterator<char>()));
        }
    }
    return inputs;
}

TEST(FuzzReplay, DecoderSeedsAndFindings) {
    auto inputs = demo::UnpackSeeds();
    const auto findings = Findings("unpack");
    inputs.insert(inputs.end(), findings.begin(), findings.end());
    ASSERT_GT(inputs.size(), 10u);
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        FuzzUnpack(bytes);
    }
}

TEST(FuzzReplay, SourceSeedsAndFindings) {
    auto inputs = demo::SourceSeeds();
    const auto findings = Findings("source");
    inputs.insert(inputs.end(), findings.begin(), findings.end());
    ASSERT_GE(inputs.size(), 8u);
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        FuzzSource(bytes);
    }
}

TEST(FuzzReplay, PatchSeedsAndFindings) {
    auto inputs = demo::PatchSeeds();
    const auto findings = Findings("patch");
    inputs.insert(inputs.end(), findings.begin(), findings.end());
    ASSERT_GE(inputs.size(), 20u);
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        FuzzPatch(bytes);
    }
}

TEST(FuzzReplay, RestorePointSeedsAndFindings) {
    auto inputs = demo::RestorePointSeeds();
    const auto findings = Findings("restore_point");
    inputs.insert(inputs.end(), findings.begin(), findings.end());
    ASSERT_GE(inputs.size(), 4u);
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        FuzzRestorePoint(bytes);
    }
}

TEST(FuzzReplay, MapTextSeedsAndFindings) {
    auto inputs = demo::MapTextSeeds();
    const auto findings = Findings("maptext");
    inputs.insert(inputs.end(), findings.begin(), findings.end());
    ASSERT_GE(inputs.size(), 5u);
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        FuzzMapText(bytes);
    }
}

}  // namespace
}  // namespace morvane::fuzz
