#pragma once

#include <string>
#include <string_view>

namespace morvane {

// The Tiled project that unpack writes beside a folder's maps. Its name does not start with
// "Level", so a folder's level files are still told by their names alone.
inline constexpr std::string_view kTiledProjectFileName = "morvane.tiled-project";

// The name of the project's command, as Tiled lists it under File > Commands.
inline constexpr std::string_view kWriteLevelCommand = "Write level to bank";

// A Tiled 1.8 project (JSON, as Tiled writes it) that shows the folder it is in and offers the
// command kWriteLevelCommand: it saves the current map, then runs program with the arguments
// "set BANK MAP" (%mapfile, Tiled's variable for the map's path), its output shown in Tiled's
// console. bankPath should be absolute, as Tiled runs the command from its own folder.
std::string FormatTiledProject(std::string_view program, std::string_view bankPath);

}  // namespace morvane
