#include "sources/source_detector.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "demo_levels.h"
#include "leveldata/disk_file_system.h"
#include "leveldata/memory_file_system.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cartridge(const char* signature, std::array<std::uint8_t, 4> release) {
    Bytes rom(131072, 0);
    rom[0] = 0xC6;  // looks like a bank at the start, which must not matter
    rom[1] = 0x80;
    std::memcpy(rom.data() + 0x7FF0, signature, 8);
    std::copy(release.begin(), release.end(), rom.begin() + 0x7FFC);
    return rom;
}

Bytes Starting(std::size_t length, std::initializer_list<std::uint8_t> start) {
    Bytes bytes(length, 0x20);
    std::copy(start.begin(), start.end(), bytes.begin());
    return bytes;
}

TEST(DetectSourceKind, ClassifiesByLengthAndSignature) {
    const struct {
        const char* name;
        Bytes bytes;
        SourceKind kind;
    } cases[] = {
        {"UE cartridge", Cartridge("TMR SEGA", {0x15, 0x23, 0x00, 0x7F}), SourceKind::UeRom},
        {"J cartridge", Cartridge("TMR SEGA", {0x17, 0x00, 0x60, 0x6F}), SourceKind::JRom},
        {"other release", Cartridge("TMR SEGA", {0x15, 0x23, 0x00, 0x7E}), SourceKind::Unknown},
        {"no Sega header", Cartridge("TMR Sega", {0x15, 0x23, 0x00, 0x7F}), SourceKind::Unknown},
        {"savestate", Starting(24779, {'M', 'E', 'K', 'A'}), SourceKind::MekaSavestate},
        {"lower-case savestate", Starting(24779, {'m', 'e', 'k', 'a'}), SourceKind::Unknown},
        {"savestate length, bank start", Starting(24779, {0xC6, 0x80}),
         SourceKind::ExtractedMapData},
        {"224 bytes", Starting(224, {1, 2}), SourceKind::UncompressedMap},
        {"224 bytes, bank start", Starting(224, {0xC6, 0x80}), SourceKind::UncompressedMap},
        {"224 bytes, MEKA", Starting(224, {'M', 'E', 'K', 'A'}), SourceKind::UncompressedMap},
        {"bank", Starting(16384, {0xC6, 0x80}), SourceKind::ExtractedMapData},
        {"odd-length bank", Starting(5000, {0xC6, 0x80}), SourceKind::ExtractedMapData},
        {"two-byte bank", Bytes{0xC6, 0x80}, SourceKind::ExtractedMapData},
        {"swapped bank start", Starting(16384, {0x80, 0xC6}), SourceKind::Unknown},
        {"empty", Bytes{}, SourceKind::Unknown},
        {"one byte", Bytes{0xC6}, SourceKind::Unknown},
    };
    for (const auto& c : cases) {
        MemoryFileSystem files;
        auto data = files.add("file", c.bytes);
        EXPECT_EQ(DetectSourceKind(files, "file"), c.kind) << c.name;
        EXPECT_EQ(data->openFiles, 0) << c.name << ": left open";
        EXPECT_EQ(data->timesOpened, 1) << c.name;
        EXPECT_LE(data->bytesRead, 16) << c.name;
        EXPECT_EQ(data->bytes, c.bytes) << c.name << ": changed";
        EXPECT_TRUE(data->writes.empty()) << c.name;
    }
}

TEST(DetectSourceKind, UnreadableFilesAreUnknownAndClosed) {
    MemoryFileSystem files;
    auto data = files.add("rom", Cartridge("TMR SEGA", {0x15, 0x23, 0x00, 0x7F}));
    data->failReads = true;
    EXPECT_EQ(DetectSourceKind(files, "rom"), SourceKind::Unknown);
    EXPECT_EQ(data->openFiles, 0);
    EXPECT_EQ(DetectSourceKind(files, "missing"), SourceKind::Unknown);
}

TEST(DetectSourceKind, RecognisesTheGeneratedFilesOnDisk) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("morvane-detect-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto bank = demo::MakeDemoBank();
    const auto write = [&](const char* name, const Bytes& bytes) {
        FILE* out = std::fopen((folder / name).c_str(), "wb");
        ASSERT_TRUE(out);
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    };
    write("bank.bin", bank);
    write("ue.bin", demo::MakeCartridge(bank, SourceKind::UeRom));
    write("j.bin", demo::MakeCartridge(bank, SourceKind::JRom));
    write("state.s00", demo::MakeSavestate(demo::MakeDemoLevel(0)));
    write("one.map", demo::MakeSingleMap(demo::MakeDemoLevel(0)));
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);

    DiskFileSystem files;
    EXPECT_EQ(DetectSourceKind(files, (folder / "bank.bin").string()),
              SourceKind::ExtractedMapData);
    EXPECT_EQ(DetectSourceKind(files, (folder / "ue.bin").string()), SourceKind::UeRom);
    EXPECT_EQ(DetectSourceKind(files, (folder / "j.bin").string()), SourceKind::JRom);
    EXPECT_EQ(DetectSourceKind(files, (folder / "state.s00").string()), SourceKind::MekaSavestate);
    EXPECT_EQ(DetectSourceKind(files, (folder / "one.map").string()), SourceKind::UncompressedMap);
    // A FIFO without a writer would block a plain open; it must come back at once as Unknown.
    EXPECT_EQ(DetectSourceKind(files, (folder / "pipe").string()), SourceKind::Unknown);
    EXPECT_EQ(DetectSourceKind(files, folder.string()), SourceKind::Unknown);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace morvane
