#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

// The text "morvane-levels history --help" prints.
extern const char kHistoryCommandHelp[];

// "morvane-levels history": lists the restore points of a source, oldest first, with the levels
// that differ between each point and the file now. Returns 0, 1 when the source cannot be read,
// 2 for bad arguments.
int RunHistoryCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
