#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "leveldata/result.h"

namespace morvane {

// Why a patch could not be made, read or applied.
enum class PatchError {
    // The bytes start with neither "PATCH" nor "BPS1".
    NotAPatch,
    // The patch ends inside a header, a record, an action or its checksums.
    PatchEndsEarly,
    // The patch's stored CRC-32 of its own bytes differs from the bytes.
    PatchChecksum,
    // The source file's length differs from the length the patch records.
    SourceSize,
    // The source file's CRC-32 differs from the one the patch records.
    SourceChecksum,
    // The result's CRC-32 differs from the one the patch records.
    TargetChecksum,
    // The actions produce more or fewer bytes than the patch records for the result.
    TargetSize,
    // A copy action reads before the start or past the end of the source file.
    ReadOutsideSource,
    // A copy action reads from a part of the result not yet written.
    ReadOutsideTarget,
    // A number in the patch is longer than any file size can need.
    NumberTooLarge,
    // The patch records a result larger than this library builds.
    TargetTooLarge,
    // A file to be described by a BPS patch is larger than this library builds.
    FileTooLarge,
    // A file to be described by an IPS patch is larger than IPS offsets reach.
    IpsTooLarge,
    // Bytes follow an IPS end mark that are not a 3-byte truncation length.
    TrailingBytes,
};

// A failure with the numbers that make its message useful. For SourceSize and TargetSize,
// expected is the size the patch records and actual the size found; for TargetTooLarge,
// expected is the limit and actual the recorded size; for FileTooLarge and IpsTooLarge,
// expected is the limit and actual the size of the larger file. Other errors leave both at 0.
struct PatchFailure {
    PatchFailure(PatchError error = PatchError::NotAPatch, std::uint64_t expected = 0,
                 std::uint64_t actual = 0)
        : error(error), expected(expected), actual(actual) {}

    PatchError error;
    std::uint64_t expected;
    std::uint64_t actual;
};

// Words a failure for a user in one sentence naming the check that failed, e.g. "The patch's
// own checksum does not match."
std::string DescribePatchFailure(const PatchFailure& failure);

// What applying a patch made, and what of the patch was left undone.
struct AppliedPatch {
    std::vector<std::uint8_t> result;
    // IPS: the length the patch cuts the result to, when it lies past the result's end. Common
    // IPS tools leave the size alone then, and so does this library; the caller should warn
    // with DescribeIgnoredCut.
    std::optional<std::uint32_t> ignoredCut;
};

// Words an ignored cut-to length for a user in one sentence, or nothing when there is none.
std::optional<std::string> DescribeIgnoredCut(const AppliedPatch& applied);

// Either a value or the failure that prevented it.
template <typename T>
using PatchResult = Result<T, PatchFailure>;

}  // namespace morvane
