#include "tiled/map_numbers.h"

#include <charconv>

#include "tiled/tiled_map_contents.h"

namespace morvane {

namespace {

std::optional<TiledMapProblem> Check(const MapNumber& number, std::int64_t low, std::int64_t high,
                                     const std::string& what, const std::string& range) {
    if (number.value && *number.value >= low && *number.value <= high) {
        return std::nullopt;
    }
    return TiledMapProblem{.error = TiledMapError::BadNumber,
                           .detail = what + " is \"" + number.text + "\", not " + range};
}

}  // namespace

MapNumber ReadMapNumber(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool whole = !text.empty() && error == std::errc() && end == text.data() + text.size();
    return {std::string(text), whole ? std::optional(value) : std::nullopt};
}

std::optional<TiledMapProblem> CheckSize(std::string_view what, const MapNumber& number,
                                         std::int64_t& size) {
    auto problem =
        Check(number, 0, INT64_MAX, "the map's " + std::string(what), "a whole number of tiles");
    size = problem ? 0 : *number.value;
    return problem;
}

std::optional<TiledMapProblem> CheckFirstGid(const std::string& name, const MapNumber& number,
                                             std::uint32_t& firstGid) {
    auto problem = Check(number, 1, 0xFFFFFFFF, "the firstgid of the tileset \"" + name + "\"",
                         "a whole number from 1");
    firstGid = problem ? 0 : std::uint32_t(*number.value);
    return problem;
}

std::optional<TiledMapProblem> CheckLevel(const MapNumber& number, std::optional<int>& level) {
    auto problem = Check(number, 1, 99, "the map property \"" + std::string(kLevelProperty) + "\"",
                         "a level number from 1 to 99");
    if (!problem) {
        level = int(*number.value);
    }
    return problem;
}

}  // namespace morvane
