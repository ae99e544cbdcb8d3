#include "cli/copy_command.h"

#include "leveldata/level_loader.h"

namespace morvane {

const char kCopyCommandHelp[] =
    "usage: morvane-levels copy FILE FROM TO [--no-history]\n"
    "\n"
    "Level TO of the bank in FILE gets level FROM's map, saved exactly as 'set FILE TO' with\n"
    "FROM's dump would save it. The bank is written once, after keeping it as a restore point\n"
    "(unless --no-history), and only when the save succeeds; otherwise FILE is untouched.\n";

int RunCopyCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    if (auto problem = ParseOptions("copy", arguments, {{kNoHistory}, {}}, options)) {
        return context.usage(*problem);
    }
    if (options.positional.size() != 3) {
        return context.usage("copy takes FILE FROM TO");
    }
    const std::string& path = options.positional[0];
    int from = 0;
    int to = 0;
    for (auto [text, number] :
         {std::pair{&options.positional[1], &from}, std::pair{&options.positional[2], &to}}) {
        if (auto problem = ParseLevelArgument("copy", *text, *number)) {
            return context.usage(*problem);
        }
    }
    Source source;
    if (auto problem = OpenBankSource(context.files, path, source)) {
        return context.fail(path, *problem);
    }
    const auto level = LoadLevelFromFile(*source.file, *source.layout, from - 1);
    if (!level.ok()) {
        return context.fail(path, DescribeLevelFailure(level.failure()));
    }
    return SaveLevelChanges(context, path, source, options, {{to - 1, level.value().map}},
                            "copy level " + std::to_string(from) + " to " + std::to_string(to));
}

}  // namespace morvane
