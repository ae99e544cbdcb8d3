#pragma once

#include <cstdint>
#include <vector>

#include "leveldata/level_map.h"
#include "sources/source_kind.h"

namespace morvane::demo {

inline constexpr std::uint8_t kFloorTile = 0;
inline constexpr std::uint8_t kWallTile = 1;

// Level index 0..98 of the demo bank: a walled room with inner walls, doors and a few objects,
// different for every index and the same on every run.
LevelMap MakeDemoLevel(int index);

// The demo bank: the 99 demo levels, every seventh one stored with non-greedy runs, free space
// left at the end.
std::vector<std::uint8_t> MakeDemoBank();

// A 131072-byte cartridge-shaped file of the given release (UeRom or JRom): deterministic
// filler bytes, the "TMR SEGA" header with the release's bytes 12..15, bank at 98304.
std::vector<std::uint8_t> MakeCartridge(const std::vector<std::uint8_t>& bank, SourceKind release);

// A 24779-byte savestate-shaped file: "MEKA", filler, the map one byte per cell at 489.
std::vector<std::uint8_t> MakeSavestate(const LevelMap& map);

// The map's 224 cells, one byte each.
std::vector<std::uint8_t> MakeSingleMap(const LevelMap& map);

}  // namespace morvane::demo
