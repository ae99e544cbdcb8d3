#pragma once

#include <cstddef>
#include <cstdint>
#include <source_location>
#include <span>

namespace morvane::fuzz {

// A promise a target found broken, at the line of its check.
struct BrokenPromise {
    std::source_location where;
};

// Every target throws on a broken promise: libFuzzer reports the uncaught exception as a crash,
// and the replay test reports it as one failure and goes on with the next input.
inline void Check(bool promise, std::source_location where = std::source_location::current()) {
    if (!promise) {
        throw BrokenPromise{where};
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

// A tile picture's GIF file: an error is worded; a picture is within kMaxGifSide each way, as
// large as the screen the header gives (when it gives one), and every pixel is opaque or fully
// transparent.
void FuzzGif(std::span<const std::uint8_t> input);

}  // namespace morvane::fuzz
