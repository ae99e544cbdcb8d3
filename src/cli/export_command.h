#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels export --help" prints.
extern const char kExportCommandHelp[];

// "morvane-levels export": writes level pictures as the editor exports them and prints each file's
// path. Returns 0, 1 when a picture cannot be made or written, 2 for bad arguments.
int RunExportCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
