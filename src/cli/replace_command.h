#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels replace --help" prints.
extern const char kReplaceCommandHelp[];

// "morvane-levels replace": every cell holding one tile gets another, in a range of levels, in
// one write of the bank, and the changed cells are reported per level. Returns 0, 1 when
// refused with the file untouched, 2 for bad arguments.
int RunReplaceCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
