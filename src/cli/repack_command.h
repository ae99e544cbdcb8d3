#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels repack --help" prints.
extern const char kRepackCommandHelp[];

// "morvane-levels repack": re-saves every level of a bank packed tightly and prints the free bytes
// before and after. Returns 0, 1 when refused with the file untouched, 2 for bad arguments.
int RunRepackCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
