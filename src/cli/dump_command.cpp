#include "cli/dump_command.h"

#include <ostream>

#include "cli/command_form.h"
#include "leveldata/level_loader.h"
#include "leveldata/map_text.h"

namespace morvane {

const char kDumpCommandHelp[] =
    "usage: morvane-levels dump FILE [LEVEL]\n"
    "       morvane-levels dump FILE --all\n"
    "\n"
    "Prints level LEVEL (1..99, default 1; a single map has only level 1) as 7 lines of 32\n"
    "tile numbers, left to right and top row first, as the editor shows the level. --all\n"
    "prints every level of FILE, each under a line \"Level N\" (with a blank line between\n"
    "levels); a level that cannot be read gets its problem in place of its rows, and the exit\n"
    "status is then 1. As git's textconv it makes git diff show the changed rows of levels.\n";

int RunDumpCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    constexpr std::string_view kArguments =
        "the arguments are FILE and an optional LEVEL, or FILE --all";
    ParsedOptions options;
    Source source;
    int number = 1;
    if (const auto refused = StartCommand(
            context, arguments, {{{"--all"}, {}}, 1, 2, kArguments, SourceNeed::Known}, options,
            source, [&]() -> std::optional<int> {
                if (options.positional.size() < 2) {
                    return std::nullopt;
                }
                if (options.flags.contains("--all")) {
                    return context.usage(std::string(kArguments));
                }
                return context.usageIf(ParseLevelArgument("LEVEL", options.positional[1], number));
            })) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    if (options.flags.contains("--all")) {
        int status = 0;
        for (int level = 1; level <= source.layout->levelCount(); ++level) {
            const auto loaded = LoadLevelFromFile(*source.file, *source.layout, level - 1);
            context.out << (level > 1 ? "\n" : "") << "Level " << level << "\n";
            if (loaded.ok()) {
                context.out << FormatMapText(loaded.value().map);
            } else {
                context.out << DescribeLevelFailure(loaded.failure()) << "\n";
                status = 1;
            }
        }
        return status;
    }
    const auto level = LoadLevelFromFile(*source.file, *source.layout, number - 1);
    if (!level.ok()) {
        return context.fail(path, DescribeLevelFailure(level.failure()));
    }
    context.out << FormatMapText(level.value().map);
    return 0;
}

}  // namespace morvane
