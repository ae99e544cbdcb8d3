// libFuzzer entry for the packed-level decoder.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvane::fuzz::FuzzUnpack({data, size});
    return 0;
}
