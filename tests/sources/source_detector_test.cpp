#include "sources/source_detector.h"

#include <gtest/gtest.h>

#include <cstring>

#include "memory_file_system.h"

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
        EXPECT_LE(data->bytesRead, 16) << c.name;  // read only: it cannot write
    }
}

}  // namespace
}  // namespace morvane
