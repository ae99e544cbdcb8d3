#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace morvane {

// The record a bank write leaves in the history folder while it is under way, so that an
// interrupted write (a crash, a power cut, a killed program) is noticed by the next one. On
// disk it is a short text file:
//
//   MORVANE WRITE UNDER WAY 2
//   file: bank.bin
//   point: 7
//   before-crc32: 0a1b2c3d
//   after-crc32: 4e5f6a7b
//   before-pages: 11111111 22222222 33333333 44444444
//   after-pages: 11111111 55555555 33333333 66666666
//
// file is the name of the bank's file (links followed), so that a record found beside another
// file is not acted on. point is the restore point the bank goes back to when the write was
// cut short: the bank before a save, the point a repair puts back. The checksums are the
// CRC-32s of the bank's 16384 bytes before and after the write, and of each of its four 4 KB
// pages (bytes past the file's end counting as zero): the pages a disk writes one by one. A
// record of version 1 has no file and no pages.
struct UnfinishedWrite {
    static constexpr int kPages = 4;
    static constexpr int kPageSize = 4096;
    using Pages = std::array<std::uint32_t, kPages>;

    std::string file;
    std::int64_t pointId = 0;
    std::uint32_t before = 0;
    std::uint32_t after = 0;
    std::optional<Pages> beforePages;
    std::optional<Pages> afterPages;
};

// The CRC-32 of each 4 KB page of a 16384-byte bank.
UnfinishedWrite::Pages PageChecksums(std::span<const std::uint8_t> bank);

// The record as version 2 (every field must be set); a line break in file becomes a space.
std::vector<std::uint8_t> EncodeUnfinishedWrite(const UnfinishedWrite& record);

// The record in bytes, of either version, or nothing when they are not one.
std::optional<UnfinishedWrite> DecodeUnfinishedWrite(std::span<const std::uint8_t> bytes);

}  // namespace morvane
