// libFuzzer entry for patch application.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvane::fuzz::FuzzPatch({data, size});
    return 0;
}
