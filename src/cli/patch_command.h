#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels patch --help" prints.
extern const char kPatchCommandHelp[];

// "morvane-levels patch make|apply|info": makes an IPS or BPS patch of any two files, applies
// one to a copy of a file, or describes one. Returns 0, 1 when refused or failed (no output
// file is left behind), 2 for bad arguments.
int RunPatchCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
