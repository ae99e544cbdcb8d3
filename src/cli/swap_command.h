#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels swap --help" prints.
extern const char kSwapCommandHelp[];

// "morvane-levels swap": two levels of a bank exchange their maps, in one write of the bank.
// Returns 0, 1 when refused with the file untouched, 2 for bad arguments.
int RunSwapCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
