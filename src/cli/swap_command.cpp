#include "cli/swap_command.h"

#include <algorithm>

#include "cli/bank_writes.h"
#include "cli/command_form.h"

namespace morvane {

const char kSwapCommandHelp[] =
    "usage: morvane-levels swap FILE A B [--no-history]\n"
    "\n"
    "Levels A and B of the bank in FILE exchange their maps, saved exactly as 'set' would save\n"
    "the lower level and then the higher one. The bank is written once, after keeping it as a\n"
    "restore point (unless --no-history), and only when both saves succeed; otherwise FILE is\n"
    "untouched.\n";

namespace {

constexpr std::string_view kLevelNames[] = {"A", "B"};

}  // namespace

int RunSwapCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    std::vector<int> levels;
    if (const auto refused =
            StartCommand(context, arguments,
                         {{{kNoHistory}, {}},
                          3,
                          3,
                          "the arguments are FILE A B",
                          SourceNeed::Bank,
                          OpenMode::ReadWrite},
                         options, source, [&] {
                             return context.usageIf(ParseLevelArguments(
                                 kLevelNames, std::span(options.positional).subspan(1), levels));
                         })) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    const auto [a, b] = std::pair(levels[0], levels[1]);
    const auto mapA = LoadLevelMap(context, path, source, a);
    const auto mapB = mapA ? LoadLevelMap(context, path, source, b) : std::nullopt;
    if (!mapB) {
        return 1;
    }
    return SaveLevelChanges(
        context, path, source, options, {{a - 1, *mapB}, {b - 1, *mapA}},
        "swap levels " + std::to_string(std::min(a, b)) + " and " + std::to_string(std::max(a, b)),
        "Levels " + std::to_string(a) + " and " + std::to_string(b) + " already hold those maps");
}

}  // namespace morvane
