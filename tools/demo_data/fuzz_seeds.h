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

// Seed inputs for the patch fuzzer, laid out as it reads them: a flags byte, the patch's length
// in three bytes (low byte first), the patch, the source. IPS and BPS patches between demo
// banks and maps that grow, shrink, move data or stay equal, with and without the flags.
std::vector<NamedBytes> PatchSeeds();

// Seed inputs for the restore point fuzzer: points of the demo bank as a bank file and in a
// cartridge, a point of a short bank file, and points with a damaged header or bank.
std::vector<NamedBytes> RestorePointSeeds();

// Seed inputs for the map text parser's fuzzer: demo levels as dump prints them and with other
// whitespace, and texts with a short line, a bad word, a tile out of range and too few numbers.
std::vector<NamedBytes> MapTextSeeds();

// Seed inputs for the GIF reader's fuzzer: demo tile pictures with and without a transparent
// colour, an interlaced picture, a frame inside a larger screen, and a tile picture cut short.
std::vector<NamedBytes> GifSeeds();

}  // namespace morvane::demo
