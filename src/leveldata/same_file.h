#pragma once

#include <string>

namespace morvane {

// True when both paths name one existing file, through links too: writing to one would
// replace the other.
bool IsSameFile(const std::string& first, const std::string& second);

}  // namespace morvane
