#include "cli/swap_command.h"

#include <algorithm>

#include "leveldata/level_loader.h"

namespace morvane {

const char kSwapCommandHelp[] =
    "usage: morvane-levels swap FILE A B [--no-history]\n"
    "\n"
    "Levels A and B of the bank in FILE exchange their maps, saved exactly as 'set' would save\n"
    "the lower level and then the higher one. The bank is written once, after keeping it as a\n"
    "restore point (unless --no-history), and only when both saves succeed; otherwise FILE is\n"
    "untouched.\n";

int RunSwapCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    if (auto problem = ParseOptions("swap", arguments, {{kNoHistory}, {}}, options)) {
        return context.usage(*problem);
    }
    if (options.positional.size() != 3) {
        return context.usage("swap takes FILE A B");
    }
    const std::string& path = options.positional[0];
    int a = 0;
    int b = 0;
    for (auto [text, number] :
         {std::pair{&options.positional[1], &a}, std::pair{&options.positional[2], &b}}) {
        if (auto problem = ParseLevelArgument("swap", *text, *number)) {
            return context.usage(*problem);
        }
    }
    Source source;
    if (auto problem = OpenBankSource(context.files, path, source)) {
        return context.fail(path, *problem);
    }
    const auto levelA = LoadLevelFromFile(*source.file, *source.layout, a - 1);
    const auto levelB = LoadLevelFromFile(*source.file, *source.layout, b - 1);
    if (!levelA.ok() || !levelB.ok()) {
        return context.fail(path, DescribeLevelFailure((levelA.ok() ? levelB : levelA).failure()));
    }
    return SaveLevelChanges(
        context, path, source, options, {{a - 1, levelB.value().map}, {b - 1, levelA.value().map}},
        "swap levels " + std::to_string(std::min(a, b)) + " and " + std::to_string(std::max(a, b)));
}

}  // namespace morvane
