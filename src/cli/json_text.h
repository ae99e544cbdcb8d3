#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace morvane {

// The JSON the commands print, keys in the order they are added.
using JsonValue = nlohmann::ordered_json;

// value as one line of JSON, as every --json output has it: ", " between items, ": " after a
// key, and strings as JsonString writes them, whatever their bytes.
std::string JsonText(const JsonValue& value);

// value as JSON: null when absent.
template <typename T>
JsonValue JsonOr(const std::optional<T>& value) {
    return value ? JsonValue(*value) : JsonValue(nullptr);
}

}  // namespace morvane
