#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels copy --help" prints.
extern const char kCopyCommandHelp[];

// "morvane-levels copy": level TO of a bank gets level FROM's map, in one write of the bank.
// Returns 0, 1 when refused with the file untouched, 2 for bad arguments.
int RunCopyCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
