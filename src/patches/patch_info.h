#pragma once

#include <cstdint>
#include <optional>

#include "patches/patch_format.h"

namespace morvane {

// What `patch info` shows of a patch, read without a source file.
struct PatchInfo {
    PatchFormat format = PatchFormat::Ips;
    // The patch's own length in bytes.
    std::uint64_t patchSize = 0;

    // IPS: the number of records, plain and run-length alike.
    std::uint64_t recordCount = 0;
    // IPS: the length the result is cut to, when the patch carries one after "EOF".
    std::optional<std::uint32_t> truncatedSize;

    // BPS: the sizes and CRC-32s the patch records.
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
    std::uint32_t sourceCrc = 0;
    std::uint32_t targetCrc = 0;
    std::uint32_t patchCrc = 0;
    // BPS: whether patchCrc is the CRC-32 of the patch's bytes before it.
    bool patchCrcMatches = false;
};

}  // namespace morvane
