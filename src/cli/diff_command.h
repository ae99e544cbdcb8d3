#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels diff --help" prints.
extern const char kDiffCommandHelp[];

// "morvane-levels diff": lists the levels whose maps differ between two sources holding a bank.
// Returns 0 whether or not levels differ, 1 when a source cannot be read, 2 for bad arguments.
int RunDiffCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
