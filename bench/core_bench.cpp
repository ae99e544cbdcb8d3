// Speed of the core on one level: decode, encode, load from a file and save into a file, with
// and without the restore point each save keeps.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "demo_levels.h"
#include "leveldata/disk_file_system.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "memory_file_system.h"

namespace morvane {
namespace {

void UnpackLevelBench(benchmark::State& state) {
    const auto stream = PackLevel(demo::MakeDemoLevel(12));
    LevelMap map;
    for (auto _ : state) {
        benchmark::DoNotOptimize(UnpackLevel(stream, map));
    }
}
BENCHMARK(UnpackLevelBench);

void PackLevelBench(benchmark::State& state) {
    const LevelMap map = demo::MakeDemoLevel(12);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PackLevel(map));
    }
}
BENCHMARK(PackLevelBench);

void LoadLevelFromCartridge(benchmark::State& state) {
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    auto file = OpenMemoryFile(data, OpenMode::ReadOnly);
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadLevelFromFile(*file, {98304, true}, 50));
    }
}
BENCHMARK(LoadLevelFromCartridge);

// Argument 0: no restore point; 1: points kept in memory, which costs what a point costs
// besides the flush; 2: points and the record of the write under way kept on disk, flushed;
// 3: the cartridge on disk too, so that its lock and its own flush count.
void SaveLevelIntoCartridge(benchmark::State& state) {
    MemoryFileSystem memoryFiles;
    DiskFileSystem diskFiles;
    const auto folder = std::filesystem::temp_directory_path() / "morvane-core-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    FileSystem& files = state.range(0) >= 2 ? static_cast<FileSystem&>(diskFiles) : memoryFiles;
    BankHistory history(files, (folder / "cart.bin").string(), 0);
    BankWriteOptions note;
    note.history = state.range(0) ? &history : nullptr;
    note.what = "save level 51";
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    auto file = OpenMemoryFile(data, OpenMode::ReadWrite);
    if (state.range(0) == 3) {
        std::ofstream((folder / "cart.bin").string(), std::ios::binary)
            .write(reinterpret_cast<const char*>(data->bytes.data()),
                   std::streamsize(data->bytes.size()));
        FileStatus status;
        file = diskFiles.open((folder / "cart.bin").string(), OpenMode::ReadWrite, status);
    }
    const LevelLayout layout{98304, true};
    auto level = LoadLevelFromFile(*file, layout, 50).value();
    LevelMap painted = level.map;
    // Alternate two tiles in one cell so every save rewrites the bank.
    for (auto _ : state) {
        painted.setCell(100, painted.cell(100) == 33 ? 34 : 33);
        const auto saved = SaveLevelToFile(*file, layout, 50, painted, level.oldPackedLength,
                                           level.levelOffset, note);
        if (!saved.ok()) {
            state.SkipWithError(DescribeLevelFailure(saved.failure()).c_str());
            break;
        }
        level.oldPackedLength = saved.value();
    }
    // A run that kept no points would measure nothing of them.
    if (note.history &&
        history.entries().value().size() !=
            std::size_t(std::min<std::int64_t>(state.iterations(), BankHistory::kKeptPoints))) {
        state.SkipWithError("the restore points were not kept");
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(SaveLevelIntoCartridge)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace morvane

BENCHMARK_MAIN();
