#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels restore --help" prints.
extern const char kRestoreCommandHelp[];

// "morvane-levels restore": writes a restore point's bank back into its source, keeping the bank
// it replaces as a point first. Returns 0, 1 when refused with the file untouched, 2 for bad
// arguments.
int RunRestoreCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
