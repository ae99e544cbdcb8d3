// Replays the fuzzers' seed corpus, the minimised corpus kept under tests/fuzz/corpus and every
// finding kept under tests/fuzz/findings as ordinary tests, so a fixed crash stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fuzz_seeds.h"
#include "fuzz_targets.h"

namespace morvane::fuzz {
namespace {

namespace fs = std::filesystem;

// Every file in folder but .gitkeep; none when there is no such folder.
std::vector<demo::NamedBytes> Kept(const fs::path& folder) {
    std::vector<demo::NamedBytes> inputs;
    if (!fs::is_directory(folder)) {
        return inputs;
    }
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
    const auto findings = Kept(fs::path(MORVANE_FUZZ_FINDINGS) / "unpack");
    inputs.insert(inputs.end(), findings.begin(), findings.end());
    ASSERT_GT(inputs.size(), 10u);
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        FuzzUnpack(bytes);
    }
}

TEST(FuzzReplay, SourceSeedsAndFindings) {
    auto inputs = demo::SourceSeeds();
    for (const char* folder : {MORVANE_FUZZ_CORPUS, MORVANE_FUZZ_FINDINGS}) {
        const auto kept = Kept(fs::path(folder) / "source");
        inputs.insert(inputs.end(), kept.begin(), kept.end());
    }
    ASSERT_GE(inputs.size(), 100u);
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
