#include "tiled/tiled_project.h"

#include <nlohmann/json.hpp>

namespace morvane {

namespace {

// An argument as Tiled splits a command's arguments (as QProcess::splitCommand does): in double
// quotes, where three double quotes stand for one.
std::string Quoted(std::string_view argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        quoted += c == '"' ? std::string("\"\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

}  // namespace

std::string FormatTiledProject(std::string_view program, std::string_view bankPath) {
    // Keys in Tiled's own order (sorted) and its indent, so that a project Tiled saves again
    // differs only where a person changed it.
    const nlohmann::json command = {
        {"arguments", "set " + Quoted(bankPath) + " %mapfile"},
        {"command", program},
        {"enabled", true},
        {"name", kWriteLevelCommand},
        {"saveBeforeExecute", true},
        {"shortcut", ""},
        {"showOutput", true},
        {"workingDirectory", ""},
    };
    const nlohmann::json project = {
        {"automappingRulesFile", ""},     {"commands", nlohmann::json::array({command})},
        {"extensionsPath", "extensions"}, {"folders", nlohmann::json::array({"."})},
        {"objectTypesFile", ""},          {"propertyTypes", nlohmann::json::array()},
    };
    // A path that is not UTF-8 cannot be said in JSON; its bad bytes become U+FFFD.
    return project.dump(4, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace morvane
