#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels set --help" prints.
extern const char kSetCommandHelp[];

// "morvane-levels set": saves a level from text in dump's layout, as the editor's Save does.
// Returns 0, 1 when refused with the file untouched (with a message), 2 for bad arguments.
int RunSetCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
