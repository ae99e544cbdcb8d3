#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels dump --help" prints.
extern const char kDumpCommandHelp[];

// "morvane-levels dump": prints a level's 224 tile numbers as 7 lines of 32 on the context's
// output. Returns 0, 1 when the level cannot be read (with a message), 2 for bad arguments.
int RunDumpCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
