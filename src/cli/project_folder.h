#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "sources/source.h"

namespace morvane {

// A project folder holds one file per level, Level1.txt .. Level99.txt (map text) or
// Level1.tmx .. (Tiled maps; .tmj and .json are read too), and a manifest that records the
// bank the folder was unpacked from.
inline constexpr std::string_view kManifestName = "manifest.txt";

// What the manifest records: the source's kind, its size in bytes and the CRC-32 of its bank
// as unpacked (or as last packed), and the CRC-32 of each file of the folder as unpack wrote it
// (or found it holding its level), by name, so that unpack can tell a file edited since.
struct ProjectManifest {
    std::string kind;
    std::int64_t size = 0;
    std::uint32_t bankCrc = 0;
    std::map<std::string, std::uint32_t> files = {};
};

// The manifest's text: a first line naming the file, then "kind: ", "size: " and
// "bank-crc32: " lines and a "file NAME: " line per file (CRC-32s as 8 lower-case hex digits).
std::string FormatManifest(const ProjectManifest& manifest);

// The manifest read from its text, or nothing when a line is missing or malformed.
std::optional<ProjectManifest> ParseManifest(std::string_view text);

// Reads the manifest at path into manifest. Returns the problem in words: the file's, or that
// it is not a folder's manifest.
std::optional<std::string> ReadManifestFile(FileSystem& files, const std::string& path,
                                            ProjectManifest& manifest);

// The level number (1..99) a file of a project folder gives by its name, "Level<N>." and an
// extension of a level file, or nothing for any other name.
std::optional<int> LevelOfFileName(std::string_view name);

// True for a name that starts "Level" in any case, as a level file's does: a file pack does
// not read although its name suggests a level (Level7.TXT, level7.txt, Level100.txt).
bool LooksLikeLevelFileName(std::string_view name);

// The manifest of source as the file is now: its kind, its length and the CRC-32 of its bank
// (bytes past the end of a short file count as zero). Returns the problem in words.
std::optional<std::string> ManifestOf(Source& source, ProjectManifest& manifest);

}  // namespace morvane
