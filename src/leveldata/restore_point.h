#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "leveldata/crc32.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_failure.h"

namespace morvane {

// A copy of a bank as it stood before a write, with what is needed to put it back. On disk a
// point is a short text header and the bank's bytes:
//
//   MORVANE RESTORE POINT 1
//   id: 7
//   time: 2026-12-06T23:59:01Z
//   what: save level 12
//   kind: 2
//   data-offset: 0
//   file-size: 16384
//   crc32: 0a1b2c3d
//   (an empty line)
//   the 16384 bank bytes
//
// kind is the source kind's value, file-size the whole file's length before the write, and
// crc32 the CRC-32 of the bank bytes. Bank bytes the file did not hold are stored as zero.
struct RestorePoint {
    std::int64_t id = 0;
    std::string time;
    std::string what;
    int sourceKind = 0;
    std::int64_t dataOffset = 0;
    std::int64_t fileSize = 0;
    std::uint32_t checksum = 0;
    std::vector<std::uint8_t> bank;

    // How many of the bank's bytes the file held (0..16384).
    std::size_t bankBytesPresent() const;
    // The bank as the file held it, for reading its levels.
    LevelBank heldBank() const;
};

// The point's file contents. The checksum is written as stored in point; line breaks in what
// become spaces.
std::vector<std::uint8_t> EncodeRestorePoint(const RestorePoint& point);

// Reads a point's file contents. Fails with PointDamaged when the header is malformed (a file
// that ends before its data offset included), the bank is not exactly 16384 bytes or the bytes
// do not match the checksum; the failure's detail is idText.
// A point's header is a few short lines; anything longer is not one.
inline constexpr std::size_t kMaxRestorePointHeader = 4096;

// The header of a point's file alone, from its first bytes (up to kMaxRestorePointHeader of
// them): the point without its bank, or PointDamaged.
LevelResult<RestorePoint> DecodeRestorePointHeader(std::span<const std::uint8_t> bytes,
                                                   const std::string& idText);

LevelResult<RestorePoint> DecodeRestorePoint(std::span<const std::uint8_t> bytes,
                                             const std::string& idText);

}  // namespace morvane
