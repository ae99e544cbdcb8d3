#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace morvane::fuzz {

// Decodes the input as a packed level and checks what the decoder promises: it stops at 224
// cells, a refused stream changes and announces nothing, and a complete level packs back into
// a stream that decodes to the same cells. Aborts on a broken promise.
void FuzzUnpack(std::span<const std::uint8_t> input);

// Treats the input as a whole source file: classifies it, loads every level, and saves loadable
// levels of a bank with a few painted cells. After every save it checks that nothing outside
// the bank was written, nothing before the bank was read, a refused save left the file as it
// was, and every level readable before still reads the same. Aborts on a broken promise.
void FuzzSource(std::span<const std::uint8_t> input);

// Treats the input as map text: a text the parser takes formats back into text that parses to
// the same map, formatting it again gives the same text, and a refused text has a problem in
// words. Aborts on a broken promise.
void FuzzMapText(std::span<const std::uint8_t> input);

}  // namespace morvane::fuzz
