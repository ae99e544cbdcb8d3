#include "cli/dump_command.h"

#include <ostream>

#include "leveldata/level_loader.h"
#include "leveldata/map_text.h"

namespace morvane {

const char kDumpCommandHelp[] =
    "usage: morvane-levels dump FILE [LEVEL]\n"
    "\n"
    "Prints level LEVEL (1..99, default 1; a single map has only level 1) as 7 lines of 32\n"
    "tile numbers, left to right and top row first, as the editor shows the level.\n";

int RunDumpCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.size() > 2) {
        return context.usage("the arguments are FILE and an optional LEVEL");
    }
    const std::string& path = arguments[0];
    int number = 1;
    if (arguments.size() == 2) {
        if (auto problem = ParseLevelArgument("LEVEL", arguments[1], number)) {
            return context.usage(*problem);
        }
    }
    Source source;
    if (auto problem = OpenKnownSource(context.files, path, OpenMode::ReadOnly, source)) {
        return context.fail(path, *problem);
    }
    const auto level = LoadLevelFromFile(*source.file, *source.layout, number - 1);
    if (!level.ok()) {
        return context.fail(path, DescribeLevelFailure(level.failure()));
    }
    context.out << FormatMapText(level.value().map);
    return 0;
}

}  // namespace morvane
