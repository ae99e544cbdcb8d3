#pragma once

#include <string>
#include <vector>

#include "cli/command_context.h"

namespace morvane {

extern const char kUnpackCommandHelp[];

// morvane-levels unpack FILE FOLDER [--format text|tmx] [--tiles DIR]: every level of the bank
// as a file of FOLDER, with the folder's manifest. Returns the exit code.
int RunUnpackCommand(const CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace morvane
