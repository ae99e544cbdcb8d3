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

// Runs a target on its seeds and every file (but .gitkeep) of its kept corpus and findings,
// where it has such folders; there must be at least atLeast inputs.
void Replay(const std::string& target, std::vector<demo::NamedBytes> inputs,
            void (*fuzz)(std::span<const std::uint8_t>), std::size_t atLeast) {
    for (const char* folder : {MORVANE_FUZZ_CORPUS, MORVANE_FUZZ_FINDINGS}) {
        std::error_code absent;  // no such folder: nothing to add
        for (const auto& entry : fs::directory_iterator(fs::path(folder) / target, absent)) {
            if (entry.is_regular_file() && entry.path().filename() != ".gitkeep") {
                std::ifstream in(entry.path(), std::ios::binary);
                inputs.emplace_back(entry.path().filename().string(),
                                    std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                                              std::istreambuf_iterator<char>()));
            }
        }
    }
    SCOPED_TRACE(target);
    ASSERT_GE(inputs.size(), atLeast);
    for (const auto& [name, bytes] : inputs) {
        try {
            fuzz(bytes);
        } catch (const BrokenPromise& broken) {
            ADD_FAILURE() << target << " input " << name << " broke the promise checked at "
                          << broken.where.file_name() << ":" << broken.where.line();
        }
    }
}

TEST(FuzzReplay, EveryTarget) {
    Replay("unpack", demo::UnpackSeeds(), FuzzUnpack, 11);
    Replay("source", demo::SourceSeeds(), FuzzSource, 100);
    Replay("patch", demo::PatchSeeds(), FuzzPatch, 20);
    Replay("restore_point", demo::RestorePointSeeds(), FuzzRestorePoint, 5);
    Replay("maptext", demo::MapTextSeeds(), FuzzMapText, 5);
    Replay("gif", demo::GifSeeds(), FuzzGif, 5);
}

}  // namespace
}  // namespace morvane::fuzz
