// libFuzzer entry for the reading of restore points.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvane::fuzz::FuzzRestorePoint({data, size});
    return 0;
}
