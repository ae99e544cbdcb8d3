// libFuzzer entry for the map text parser.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvane::fuzz::FuzzMapText({data, size});
    return 0;
}
