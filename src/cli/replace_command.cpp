#include "cli/replace_command.h"

#include <ostream>
#include <tuple>

#include "cli/bank_writes.h"
#include "cli/command_form.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_loader.h"

namespace morvane {

const char kReplaceCommandHelp[] =
    "usage: morvane-levels replace FILE OLD NEW [--levels A-B] [--no-history]\n"
    "\n"
    "Every cell holding tile OLD (0..63) gets tile NEW in levels A to B of the bank in FILE (all\n"
    "levels by default), saved exactly as 'set' would save each changed level in ascending\n"
    "order, and prints how many cells changed in which levels. The bank is written once, after\n"
    "keeping it as a restore point (unless --no-history), and only when every save succeeds;\n"
    "otherwise FILE is untouched. A level in the range that cannot be read refuses the whole.\n";

namespace {

std::optional<int> ParseTile(const std::string& text) {
    const auto tile = ParseNumber(text);
    return tile && *tile < LevelMap::kTileCount ? tile : std::nullopt;
}

}  // namespace

int RunReplaceCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    std::optional<int> oldTile;
    std::optional<int> newTile;
    int first = 1;
    int last = LevelBank::kLevelCount;
    const auto parseTilesAndRange = [&]() -> std::optional<int> {
        oldTile = ParseTile(options.positional[1]);
        newTile = ParseTile(options.positional[2]);
        for (const auto& [tile, name, text] : {std::tuple(oldTile, "OLD", options.positional[1]),
                                               std::tuple(newTile, "NEW", options.positional[2])}) {
            if (!tile) {
                return context.usage(std::string(name) + " must be a tile number 0..63, not '" +
                                     text + "'");
            }
        }
        if (const auto range = options.value("--levels")) {
            // N alone is the one level N.
            const auto dash = range->find('-');
            const std::string end = dash == std::string::npos ? *range : range->substr(dash + 1);
            if (ParseLevelArgument("A", range->substr(0, dash), first) ||
                ParseLevelArgument("B", end, last) || first > last) {
                return context.usage(
                    "--levels takes N or A-B, level numbers 1..99 with A <= B, not '" + *range +
                    "'");
            }
        }
        return std::nullopt;
    };
    if (const auto refused = StartCommand(context, arguments,
                                          {{{kNoHistory}, {"--levels"}},
                                           3,
                                           3,
                                           "the arguments are FILE OLD NEW",
                                           SourceNeed::Bank,
                                           OpenMode::ReadWrite},
                                          options, source, parseTilesAndRange)) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    std::vector<LevelChange> changes;
    std::vector<std::pair<int, int>> counts;
    for (int number = first; number <= last; ++number) {
        auto level = LoadLevelFromFile(*source.file, *source.layout, number - 1);
        if (!level.ok()) {
            return context.fail(path, DescribeLevelFailure(level.failure()));
        }
        LevelMap& map = level.value().map;
        int cells = 0;
        for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
            if (map.cell(cell) == *oldTile && *oldTile != *newTile) {
                map.setCell(cell, std::uint8_t(*newTile));
                ++cells;
            }
        }
        if (cells > 0) {
            changes.emplace_back(number - 1, map);
            counts.emplace_back(number, cells);
        }
    }
    if (!changes.empty()) {
        const std::string what =
            "replace tile " + std::to_string(*oldTile) + " by " + std::to_string(*newTile);
        if (const int code = SaveLevelChanges(context, path, source, options, changes, what,
                                              "The levels already hold those maps")) {
            return code;
        }
    }
    int total = 0;
    for (const auto& [number, cells] : counts) {
        context.out << "Level " << number << ": " << cells << (cells == 1 ? " cell\n" : " cells\n");
        total += cells;
    }
    context.out << total << (total == 1 ? " cell" : " cells") << " changed in " << counts.size()
                << (counts.size() == 1 ? " level.\n" : " levels.\n");
    return 0;
}

}  // namespace morvane
