// libFuzzer entry; MORVANE_FUZZ_TARGET names the target function, set per fuzzer by CMake.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvane::fuzz::MORVANE_FUZZ_TARGET({data, size});
    return 0;
}
