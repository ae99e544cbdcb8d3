#include "cli/set_command.h"

#include "leveldata/map_text.h"

namespace morvane {

const char kSetCommandHelp[] =
    "usage: morvane-levels set FILE LEVEL MAPFILE [--no-history]\n"
    "\n"
    "Reads 224 tile numbers (0..63) in the layout dump prints from MAPFILE, or from standard\n"
    "input when MAPFILE is -, and saves them as level LEVEL of the bank in FILE exactly as the\n"
    "editor's Save does, moving every later level and pointer. The file is left untouched when\n"
    "the text is bad, the source holds a single map, the level cannot be read or the new level\n"
    "does not fit the bank. The bank as it was is kept as a restore point first (see history),\n"
    "unless --no-history is given.\n";

int RunSetCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    if (auto problem = ParseOptions(arguments, {{kNoHistory}, {}, true}, options)) {
        return context.usage(*problem);
    }
    const auto& positional = options.positional;
    if (positional.size() != 3) {
        return context.usage("the arguments are FILE LEVEL MAPFILE");
    }
    const std::string& path = positional[0];
    int number = 0;
    if (auto problem = ParseLevelArgument("LEVEL", positional[1], number)) {
        return context.usage(*problem);
    }
    const std::string& mapPath = positional[2];
    std::string text;
    if (auto problem = ReadTextInput(context, mapPath, "a map", text)) {
        return context.fail(mapPath, *problem);
    }
    const auto parsed = ParseMapText(text);
    if (!parsed.ok()) {
        return context.fail(mapPath == "-" ? "standard input" : mapPath,
                            DescribeMapTextProblem(parsed.problem()));
    }

    Source source;
    if (auto problem = OpenBankSource(context.files, path, source)) {
        return context.fail(path, *problem);
    }
    return SaveLevelChanges(context, path, source, options, {{number - 1, parsed.map()}},
                            "set level " + std::to_string(number),
                            "Level " + std::to_string(number) + " already holds that map");
}

}  // namespace morvane
