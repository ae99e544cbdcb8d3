#include "leveldata/same_file.h"

#include <filesystem>

namespace morvane {

bool IsSameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error) && !error;
}

}  // namespace morvane
