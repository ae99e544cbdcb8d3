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

// A packed level: decoding stops at 224 cells, a refused stream changes and announces nothing,
// and a complete level packs back into a stream that decodes to the same cells.
void FuzzUnpack(std::span<const std::uint8_t> input);

// Byte 0 modulo 5 picks the SourceKind of a wrapper around the rest: a cartridge's bank, an
// extracted bank, a savestate's or a bare map. Classifies and loads it, and saves one readable
// level of a bank with cells painted as the input's last bytes choose. Nothing outside the bank
// is written, nothing before it read, a refused save changes nothing and every other readable
// level reads the same.
void FuzzSource(std::span<const std::uint8_t> input);

// Byte 0 holds flags, bytes 1..3 the patch's length, then the patch and the source. Flag 1 fits
// a BPS patch's source size and CRC-32s so its actions run. Applying twice gives the same
// result or failure; a result has the recorded size (and CRC-32) and a patch remade from source
// and result (up to 1 MiB) gives it again. Flag 2 also round-trips the patch bytes as an edit.
void FuzzPatch(std::span<const std::uint8_t> input);

// A restore point's file: what is read writes back to a point that reads the same, the history
// lists it exactly when it reads, and a restore writes exactly its bank or nothing.
void FuzzRestorePoint(std::span<const std::uint8_t> input);

// Map text: a text the parser takes formats back into text that parses to the same map and
// formats the same again; a refused text has a problem in words.
void FuzzMapText(std::span<const std::uint8_t> input);

// A tile picture's GIF file: decoding twice gives the same picture or the same worded error;
// a picture is within kMaxGifSide each way and every pixel opaque or fully transparent.
void FuzzGif(std::span<const std::uint8_t> input);

}  // namespace morvane::fuzz
