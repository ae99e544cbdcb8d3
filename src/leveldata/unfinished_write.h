#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace morvane {

// The record a bank write leaves in the history folder while it is under way, so that a write
// cut short (a crash, a power cut) is noticed and put right by the next one. On disk it is a
// short text file:
//
//   MORVANE WRITE UNDER WAY 1
//   point: 7
//   before-crc32: 0a1b2c3d
//   after-crc32: 4e5f6a7b
//
// point is the restore point that holds the bank as it was before the write; the checksums
// are the CRC-32s of the bank's 16384 bytes before and after the write (bytes past the file's
// end counting as zero). A bank that matches neither was torn by the interruption.
struct UnfinishedWrite {
    std::int64_t pointId = 0;
    std::uint32_t before = 0;
    std::uint32_t after = 0;
};

std::vector<std::uint8_t> EncodeUnfinishedWrite(const UnfinishedWrite& record);

// The record in bytes, or nothing when they are not one.
std::optional<UnfinishedWrite> DecodeUnfinishedWrite(std::span<const std::uint8_t> bytes);

}  // namespace morvane
