#include "cli/set_command.h"

#include "cli/level_file.h"

namespace morvane {

const char kSetCommandHelp[] =
    "usage: morvane-levels set FILE LEVEL MAPFILE [--no-history]\n"
    "\n"
    "Reads a level from MAPFILE, or from standard input when MAPFILE is -, and saves it as\n"
    "level LEVEL of the bank in FILE exactly as the editor's Save does, moving every later\n"
    "level and pointer. MAPFILE holds 224 tile numbers (0..63) in the layout dump prints, or\n"
    "is a Tiled map, TMX or JSON, as Tiled 1.8 writes them (see below). The file is left\n"
    "untouched when the map is bad, the source holds a single map, the level cannot be read or\n"
    "the new level does not fit the bank. The bank as it was is kept as a restore point first\n"
    "(see history), unless --no-history is given.\n"
    "\n"
    "A Tiled map must be finite and 32 x 7 tiles, with one tile layer or one named \"level\";\n"
    "its data CSV, base64 (raw, zlib, gzip or zstd), a JSON array or XML tiles. The level's\n"
    "tileset is the map's only one or the one named \"tiles\" (an external one by its file's\n"
    "name, tiles.tsx), embedded or not; a cell's tile number is its gid minus that tileset's\n"
    "firstgid. Refused, naming the cell or the problem: an empty cell, a flipped or rotated\n"
    "tile, a tile of another tileset or above 63, and a file that is not such a map.\n";

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
    LevelMap map;
    if (auto problem = ReadLevelFile(BytesOf(text), map)) {
        return context.fail(mapPath == "-" ? "standard input" : mapPath, *problem);
    }

    Source source;
    if (auto problem = OpenBankSource(context.files, path, source)) {
        return context.fail(path, *problem);
    }
    return SaveLevelChanges(context, path, source, options, {{number - 1, map}},
                            "set level " + std::to_string(number),
                            "Level " + std::to_string(number) + " already holds that map");
}

}  // namespace morvane
