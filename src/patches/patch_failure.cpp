#include "patches/patch_failure.h"

namespace morvane {

namespace {

std::string Bytes(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

}  // namespace

std::string DescribePatchFailure(const PatchFailure& failure) {
    switch (failure.error) {
        case PatchError::NotAPatch:
            return "Not an IPS or BPS patch.";
        case PatchError::PatchEndsEarly:
            return "The patch ends early.";
        case PatchError::PatchChecksum:
            return "The patch's own checksum does not match.";
        case PatchError::SourceSize:
            return "The source file has the wrong size: the patch expects " +
                   Bytes(failure.expected) + ", this file has " + std::to_string(failure.actual) +
                   ".";
        case PatchError::SourceChecksum:
            return "The source file's CRC-32 does not match the patch.";
        case PatchError::TargetChecksum:
            return "The result's CRC-32 does not match the patch.";
        case PatchError::TargetSize:
            return "The patch's actions do not make a result of the recorded size: the patch "
                   "expects " +
                   Bytes(failure.expected) + ", its actions make " +
                   std::to_string(failure.actual) + ".";
        case PatchError::ReadOutsideSource:
            return "A copy in the patch reads outside the source file.";
        case PatchError::ReadOutsideTarget:
            return "A copy in the patch reads a part of the result not yet written.";
        case PatchError::NumberTooLarge:
            return "A number in the patch is too large.";
        case PatchError::TargetTooLarge:
            return "The patch's result would be " + Bytes(failure.actual) +
                   ", more than the limit of " + Bytes(failure.expected) + ".";
        case PatchError::FileTooLarge:
            return "A file of " + Bytes(failure.actual) + " is larger than the limit of " +
                   Bytes(failure.expected) + " for BPS patches.";
        case PatchError::IpsTooLarge:
            return "An IPS file cannot exceed 16 MiB.";
        case PatchError::TrailingBytes:
            return "The patch has unexpected bytes after its end mark.";
    }
    return "Unknown patch failure.";
}

std::optional<std::string> DescribeIgnoredCut(const AppliedPatch& applied) {
    if (!applied.ignoredCut) {
        return std::nullopt;
    }
    return "The patch cuts the result to " + Bytes(*applied.ignoredCut) + ", past its end at " +
           Bytes(applied.result.size()) + "; the size was left as it is.";
}

}  // namespace morvane
