#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels info --help" prints.
extern const char kInfoCommandHelp[];

// "morvane-levels info": prints the kind of a source, its levels and the bank's free space on the
// context's output; returns 0 when the source is recognised and every level reads cleanly, 1
// otherwise (with a message for a file that cannot be read), 2 for bad arguments.
int RunInfoCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
