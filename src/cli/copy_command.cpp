#include "cli/copy_command.h"

#include "cli/bank_writes.h"
#include "cli/command_form.h"

namespace morvane {

const char kCopyCommandHelp[] =
    "usage: morvane-levels copy FILE FROM TO [--no-history]\n"
    "\n"
    "Level TO of the bank in FILE gets level FROM's map, saved exactly as 'set FILE TO' with\n"
    "FROM's dump would save it. The bank is written once, after keeping it as a restore point\n"
    "(unless --no-history), and only when the save succeeds; otherwise FILE is untouched.\n";

namespace {

constexpr std::string_view kLevelNames[] = {"FROM", "TO"};

}  // namespace

int RunCopyCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    std::vector<int> levels;
    if (const auto refused =
            StartCommand(context, arguments,
                         {{{kNoHistory}, {}},
                          3,
                          3,
                          "the arguments are FILE FROM TO",
                          SourceNeed::Bank,
                          OpenMode::ReadWrite},
                         options, source, [&] {
                             return context.usageIf(ParseLevelArguments(
                                 kLevelNames, std::span(options.positional).subspan(1), levels));
                         })) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    const auto [from, to] = std::pair(levels[0], levels[1]);
    const auto map = LoadLevelMap(context, path, source, from);
    if (!map) {
        return 1;
    }
    return SaveLevelChanges(context, path, source, options, {{to - 1, *map}},
                            "copy level " + std::to_string(from) + " to " + std::to_string(to),
                            "Level " + std::to_string(to) + " already holds that map");
}

}  // namespace morvane
