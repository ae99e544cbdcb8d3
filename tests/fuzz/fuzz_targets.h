#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace morvane::fuzz {

// Decodes the input as a packed level and checks what the decoder promises: it stops at 224
// cells, a refused stream changes and announces nothing, and a complete level packs back into
// a stream that decodes to the same cells. Aborts on a broken promise.
void FuzzUnpack(std::span<const std::uint8_t> input);

// Treats the input as a source file in a small wrapper: its first byte, taken modulo 5, is the
// SourceKind value of the wrapper and the rest is the level data. A cartridge of either release
// is a 131072-byte file whose bank starts with the data (bank bytes past it keep the
// cartridge's filler); an extracted bank is the data alone; a savestate or a bare map holds the
// data as its map. Classifies the file, loads its level or bank and saves one readable level of
// a bank with a few painted cells, chosen by the input's last bytes: a save decodes every level
// twice, most of a run's time, and a bank as a save leaves it is an input like any other. It
// checks that nothing outside the bank was written, nothing before the bank was read, a
// refused save left the file as it was, and every level readable before still reads the same.
// Aborts on a broken promise.
void FuzzSource(std::span<const std::uint8_t> input);

}  // namespace morvane::fuzz
