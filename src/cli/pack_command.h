#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

extern const char kPackCommandHelp[];

// morvane-levels pack FOLDER FILE [--force] [--no-history]: saves every level whose file in
// FOLDER differs from FILE's level, in one write. Returns the exit code.
int RunPackCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
