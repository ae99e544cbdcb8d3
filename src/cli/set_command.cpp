#include "cli/set_command.h"

#include "cli/bank_writes.h"
#include "cli/command_form.h"
#include "cli/file_contents.h"
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
    Source source;
    int number = 0;
    LevelMap map;
    // The map is read before the bank is opened, so that a bad one leaves FILE unopened.
    const auto readMap = [&]() -> std::optional<int> {
        if (auto refused =
                context.usageIf(ParseLevelArgument("LEVEL", options.positional[1], number))) {
            return refused;
        }
        const std::string& mapPath = options.positional[2];
        std::string text;
        if (auto problem = ReadTextInput(context, mapPath, "a map", text)) {
            return context.fail(mapPath, *problem);
        }
        if (auto problem = ReadLevelFile(BytesOf(text), map)) {
            return context.fail(mapPath == "-" ? "standard input" : mapPath, *problem);
        }
        return std::nullopt;
    };
    if (const auto refused = StartCommand(context, arguments,
                                          {{{kNoHistory}, {}, true},
                                           3,
                                           3,
                                           "the arguments are FILE LEVEL MAPFILE",
                                           SourceNeed::Bank,
                                           OpenMode::ReadWrite},
                                          options, source, readMap)) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    return SaveLevelChanges(context, path, source, options, {{number - 1, map}},
                            "set level " + std::to_string(number),
                            "Level " + std::to_string(number) + " already holds that map");
}

}  // namespace morvane
