#include "cli/set_command.h"

#include "cli/bank_writes.h"
#include "cli/command_form.h"
#include "cli/file_contents.h"
#include "cli/level_file.h"

namespace morvane {

const char kSetCommandHelp[] =
    "usage: morvane-levels set FILE [LEVEL] MAPFILE [--any-level] [--no-history]\n"
    "\n"
    "Reads a level from MAPFILE, or from standard input when MAPFILE is -, and saves it as\n"
    "level LEVEL of the bank in FILE exactly as the editor's Save does, moving every later\n"
    "level and pointer. MAPFILE holds 224 tile numbers (0..63) in the layout dump prints, or\n"
    "is a Tiled map, TMX or JSON, as Tiled 1.8 writes them (see below). The file is left\n"
    "untouched when the map is bad, the source holds a single map, the level cannot be read or\n"
    "the new level does not fit the bank. The bank as it was is kept as a restore point first\n"
    "(see history), unless --no-history is given. MAPFILE (or the input) may hold up to 1 MiB.\n"
    "\n"
    "A Tiled map that export or unpack wrote names its level in the map property \"level\":\n"
    "without LEVEL that level is set, and a map of another level than LEVEL is refused, naming\n"
    "both, unless --any-level is given.\n"
    "\n"
    "A Tiled map must be finite and 32 x 7 tiles, with one tile layer or one named \"level\"\n"
    "(other tile layers must be empty); its data CSV, base64 (raw, zlib, gzip or zstd), a JSON\n"
    "array or XML tiles, its groups nested at most 64 deep. The level's tileset is the map's\n"
    "only one or any named \"tiles\" (an external one by its file's name, tiles.tsx), embedded\n"
    "or not; a cell's tile number is its gid minus the firstgid of the tileset that holds it.\n"
    "Refused, naming every bad cell (the first 10 of them) and what to do: an empty cell, a\n"
    "flipped or rotated tile, a tile of another tileset or above 63; and a file that is not\n"
    "such a map, naming the problem.\n";

int RunSetCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    int number = 0;
    TiledLevel read;
    // The map is read before the bank is opened, so that a bad one leaves FILE unopened.
    const auto readMap = [&]() -> std::optional<int> {
        const bool levelGiven = options.positional.size() == 3;
        if (levelGiven) {
            if (auto refused =
                    context.usageIf(ParseLevelArgument("LEVEL", options.positional[1], number))) {
                return refused;
            }
        }
        const std::string& mapPath = options.positional.back();
        const std::string mapName = mapPath == "-" ? "standard input" : mapPath;
        std::string text;
        if (auto problem = ReadTextInput(context, mapPath, "a map", text)) {
            return context.fail(mapName, *problem);
        }
        if (auto problem = ReadLevelFile(BytesOf(text), read)) {
            return context.fail(mapName, *problem);
        }
        if (!levelGiven && !read.level) {
            return context.fail(mapName,
                                "the map does not say which level it is; give LEVEL before it");
        }
        if (!levelGiven) {
            number = *read.level;
        } else if (read.level && *read.level != number && !options.flags.contains("--any-level")) {
            return context.fail(mapName, "the map is level " + std::to_string(*read.level) +
                                             ", not level " + std::to_string(number) +
                                             " (--any-level sets it as level " +
                                             std::to_string(number) + " anyway)");
        }
        return std::nullopt;
    };
    if (const auto refused = StartCommand(context, arguments,
                                          {{{kNoHistory, "--any-level"}, {}, true},
                                           2,
                                           3,
                                           "the arguments are FILE [LEVEL] MAPFILE",
                                           SourceNeed::Bank,
                                           OpenMode::ReadWrite},
                                          options, source, readMap)) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    return SaveLevelChanges(context, path, source, options, {{number - 1, read.map}},
                            "set level " + std::to_string(number),
                            "Level " + std::to_string(number) + " already holds that map");
}

}  // namespace morvane
