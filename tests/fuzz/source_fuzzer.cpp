// libFuzzer entry for whole source files: classify, load, paint and save.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvane::fuzz::FuzzSource({data, size});
    return 0;
}
