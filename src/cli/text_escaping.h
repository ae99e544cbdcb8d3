#pragma once

#include <string>

namespace morvane {

// text as a JSON string literal, quotes included. Any bytes give valid JSON: control characters
// are escaped, and each byte that is not part of valid UTF-8 becomes the code point of its
// value.
std::string JsonString(const std::string& text);

// text as it may go to a terminal: control characters and bytes that are not part of valid
// UTF-8 are shown as \xNN, and a backslash as two.
std::string PrintableText(const std::string& text);

}  // namespace morvane
