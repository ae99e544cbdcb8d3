#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace morvane::demo {

using NamedBytes = std::pair<std::string, std::vector<std::uint8_t>>;

// Seed inputs for the packed-level decoder's fuzzer: the demo levels' streams, greedy and in
// runs of two, a plain 224-byte map, and streams that end early or run past the last cell.
std::vector<NamedBytes> UnpackSeeds();

// Seed inputs for the whole-source fuzzer, each a byte naming the wrapper's SourceKind and then
// the level data: the demo bank in every bank wrapper, a savestate's and a bare map's map, a
// full bank with a paint that cannot fit, a bank with broken pointers, a bank cut short and one
// followed by bytes of no bank.
std::vector<NamedBytes> SourceSeeds();

}  // namespace morvane::demo
