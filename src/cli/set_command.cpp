#include "cli/set_command.h"

#include <sstream>

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

namespace {

// Parses 224 tile numbers in dump's layout into a map; on failure returns the problem.
std::optional<std::string> ParseMapText(const std::string& text, LevelMap& map) {
    std::istringstream words(text);
    std::vector<int> tiles;
    std::string word;
    while (words >> word) {
        const auto value = ParseNumber(word);
        if (!value) {
            return "bad text: '" + word + "' (word " + std::to_string(tiles.size() + 1) +
                   ") is not a tile number";
        }
        if (*value >= LevelMap::kTileCount) {
            return "tile number " + word + " (word " + std::to_string(tiles.size() + 1) +
                   ") is outside 0..63";
        }
        tiles.push_back(*value);
    }
    if (tiles.size() != std::size_t(LevelMap::kCellCount)) {
        return "expected 224 tile numbers, found " + std::to_string(tiles.size());
    }
    for (int at = 0; at < LevelMap::kCellCount; ++at) {
        const int row = at / LevelMap::kColumns;
        const int column = at % LevelMap::kColumns;
        map.setCell(LevelMap::cellAt(column, row), std::uint8_t(tiles[std::size_t(at)]));
    }
    return std::nullopt;
}

}  // namespace

int RunSetCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    if (auto problem = ParseOptions("set", arguments, {{kNoHistory}, {}, true}, options)) {
        return context.usage(*problem);
    }
    const auto& positional = options.positional;
    if (positional.size() != 3) {
        return context.usage("set takes FILE LEVEL MAPFILE");
    }
    const std::string& path = positional[0];
    int number = 0;
    if (auto problem = ParseLevelArgument("set", positional[1], number)) {
        return context.usage(*problem);
    }
    const std::string& mapPath = positional[2];
    std::string text;
    if (auto problem = ReadTextInput(context, mapPath, "a map", text)) {
        return context.fail(mapPath, *problem);
    }
    LevelMap map;
    if (auto problem = ParseMapText(text, map)) {
        return context.fail(mapPath == "-" ? "standard input" : mapPath, *problem);
    }

    Source source;
    if (auto problem = OpenBankSource(context.files, path, source)) {
        return context.fail(path, *problem);
    }
    return SaveLevelChanges(context, path, source, options, {{number - 1, map}},
                            "set level " + std::to_string(number));
}

}  // namespace morvane
