#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace morvane::fuzz {

// Every target aborts on a broken promise, which libFuzzer and the replay test both catch.
inline void Check(bool promise) {
    if (!promise) {
        std::abort();
    }
}

// Decodes the input as a packed level and checks what the decoder promises: it stops at 224
// cells, a refused stream changes and announces nothing, and a complete level packs back into
// a stream that decodes to the same cells.
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
//
void FuzzSource(std::span<const std::uint8_t> input);

// Treats the input as a patch and a source: byte 0 holds flags, bytes 1..3 the patch's length
// (low byte first, cut to what follows), then the patch, then the source. Flag 1 first gives
// the source the size a BPS patch records and writes the source's and the patch's CRC-32 into
// the patch, so the actions are run. Applies the patch twice and checks that both give the
// same result or the same failure, that a BPS result has the recorded size and CRC-32, an IPS
// result the recorded truncation length, and that a patch made from the source and the result
// (up to 1 MiB) gives the result again. Flag 2 also checks that patches of both formats made from
// the source and the patch bytes apply.
void FuzzPatch(std::span<const std::uint8_t> input);

// Reads the input as a restore point's file, directly and through a history folder, and checks
// that a point read writes back to one that reads the same, that the history lists it exactly
// when it reads, and that restoring it over a file of its shape writes exactly its bank while a
// refused restore leaves the file as it was.
void FuzzRestorePoint(std::span<const std::uint8_t> input);

// Treats the input as map text: a text the parser takes formats back into text that parses to
// the same map, formatting it again gives the same text, and a refused text has a problem in
// words.
void FuzzMapText(std::span<const std::uint8_t> input);

}  // namespace morvane::fuzz
