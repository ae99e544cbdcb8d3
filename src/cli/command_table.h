#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// One command of morvane-levels: the word that names it, its arguments and one-line summary
// as the top-level help lists them, the function that runs it (returning the exit code) and
// the text its --help prints.
struct CommandEntry {
    const char* name;
    const char* arguments;
    const char* summary;
    int (*run)(const CommandContext& context, const std::vector<std::string>& arguments);
    const char* help;
};

// The command named name, or nullptr when there is none.
const CommandEntry* FindCommand(std::string_view name);

// The text "morvane-levels --help" prints, listing every command.
std::string TopLevelHelp();

}  // namespace morvane
