#include "cli/unpack_command.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <ostream>

#include "cli/command_form.h"
#include "cli/file_contents.h"
#include "cli/level_file.h"
#include "cli/project_folder.h"
#include "cli/text_escaping.h"
#include "cli/tileset_export.h"
#include "leveldata/batch_save.h"
#include "leveldata/crc32.h"
#include "leveldata/map_text.h"
#include "leveldata/same_file.h"
#include "tiled/tiled_map_writer.h"
#include "tiled/tiled_project.h"

namespace morvane {

const char kUnpackCommandHelp[] =
    "usage: morvane-levels unpack FILE FOLDER [--format text|tmx] [--tiles DIR] [--force]\n"
    "\n"
    "Writes every level of the bank in FILE as a file of FOLDER, made when missing: Level1.txt\n"
    "to Level99.txt in dump's layout, or with --format tmx Level1.tmx to Level99.tmx (each\n"
    "naming its level), their tileset tiles.tsx (see export; the tile pictures come from DIR,\n"
    "by default the \"gif\" folder beside FILE) and a Tiled project, morvane.tiled-project, whose\n"
    "command \"Write level to bank\" saves the current map and sets it in FILE. It also writes\n"
    "manifest.txt: FILE's kind, its size and the CRC-32 of its bank, which pack checks, and of\n"
    "each file it wrote. A level file that already holds its level, however Tiled formatted it,\n"
    "is left as it is; level files of the other format are removed, so each level has one file.\n"
    "\n"
    "Edits are never lost: unpack refuses, naming them, to replace or remove level files that\n"
    "changed since it wrote them, or that it did not write; --force replaces and removes them.\n"
    "A project file changed since (a key bound in Tiled) is left as it is. Nothing is written\n"
    "when a level cannot be read or a file is refused.\n";

namespace {

namespace fs = std::filesystem;

// A level file is read to tell whether it holds its level; larger ones are no level file.
constexpr std::int64_t kMaxLevelFileSize = 1 << 20;

// What unpack finds at one of its files.
enum class Found { Missing, Same, HoldsLevel, Recorded, Edited };

// Compares the file at path (named name in the manifest's records) with the bytes unpack would
// write. level, when given, is the level number the file must hold (as map text or a map of
// that level), which counts as the same however it is formatted.
Found Inspect(FileSystem& files, const std::string& path, const std::string& name,
              std::string_view bytes, const ProjectManifest& recorded,
              const std::optional<std::pair<int, LevelMap>>& level, std::uint32_t& crc) {
    std::vector<std::uint8_t> existing;
    const FileStatus read = ReadWholeFile(files, path, kMaxLevelFileSize, existing);
    if (read.error == FileError::NotFound) {
        return Found::Missing;
    }
    if (!read.ok()) {
        return Found::Edited;
    }
    crc = Crc32(existing);
    if (std::equal(existing.begin(), existing.end(), bytes.begin(), bytes.end())) {
        return Found::Same;
    }
    TiledLevel holds;
    if (level && !ReadLevelFile(existing, holds) && holds.map == level->second &&
        holds.level.value_or(level->first) == level->first) {
        return Found::HoldsLevel;
    }
    const auto record = recorded.files.find(name);
    return record != recorded.files.end() && record->second == crc ? Found::Recorded
                                                                   : Found::Edited;
}

// The refusal for edited files, the first ten named.
std::string EditedFilesProblem(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t at = 0; at < names.size() && at < 10; ++at) {
        list += (at ? ", " : "") + names[at];
    }
    if (names.size() > 10) {
        list += " and " + std::to_string(names.size() - 10) + " more";
    }
    const bool one = names.size() == 1;
    return std::string(one ? "a level file" : "level files") + " changed since unpack wrote " +
           (one ? "it" : "them") + ", or unpack did not write " + (one ? "it" : "them") + ": " +
           list + "; unpacking would replace or remove " + (one ? "it" : "them") +
           " (--force does)";
}

}  // namespace

int RunUnpackCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    std::string format;
    std::optional<std::string> tilesFolder;
    const auto checkFormatAndTiles = [&]() -> std::optional<int> {
        format = options.value("--format").value_or("text");
        if (format != "text" && format != "tmx") {
            return context.usage("--format is text or tmx, not '" + format + "'");
        }
        tilesFolder = options.value("--tiles");
        if (auto problem = MissingTilesFolder(tilesFolder)) {
            return context.fail(*tilesFolder, *problem);
        }
        return std::nullopt;
    };
    if (const auto refused = StartCommand(context, arguments,
                                          {{{"--force"}, {"--format", "--tiles"}},
                                           2,
                                           2,
                                           "the arguments are FILE FOLDER",
                                           SourceNeed::Bank},
                                          options, source, checkFormatAndTiles)) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    const std::string& folder = options.positional[1];
    const bool force = options.flags.contains("--force");
    const auto maps = ReadAllMaps(*source.file, *source.layout);
    if (!maps.ok()) {
        return context.fail(path, DescribeLevelFailure(maps.failure()));
    }
    ProjectManifest manifest;
    if (auto problem = ManifestOf(source, manifest)) {
        return context.fail(path, *problem);
    }
    if (FileStatus made = context.files.makeDirectory(folder, FileAccess::Shared); !made.ok()) {
        return context.fail(folder, DescribeFileStatus(made));
    }
    // Without a manifest no file counts as unpack's own.
    ProjectManifest recorded;
    ReadManifestFile(context.files, PathInFolder(folder, kManifestName), recorded);

    const bool tmx = format == "tmx";
    std::optional<TilesetExport> tileset;
    if (tmx) {
        std::string tileFolder;
        TileSet tiles = TilesFor(tilesFolder, path, tileFolder);
        tileset = MakeTilesetExport(tiles, tileFolder, folder);
    }
    // Every file's bytes are made first, so that they go to disk with one flush of the folder.
    std::vector<std::string> texts;
    std::vector<std::string> names;
    for (std::size_t index = 0; index < maps.value().size(); ++index) {
        const LevelMap& map = maps.value()[index];
        names.push_back("Level" + std::to_string(index + 1) + (tmx ? ".tmx" : ".txt"));
        texts.push_back(tmx ? FormatTmxMap(map, tileset->tileSize, int(index) + 1)
                            : FormatMapText(map));
    }
    // Nothing is written or removed when any of it is the source itself.
    std::vector<std::string> present;
    if (FileStatus listed = context.files.listDirectory(folder, present); !listed.ok()) {
        return context.fail(folder, DescribeFileStatus(listed));
    }
    std::sort(present.begin(), present.end());
    std::vector<std::string> touched;
    std::copy_if(present.begin(), present.end(), std::back_inserter(touched),
                 [](const std::string& name) { return LevelOfFileName(name).has_value(); });
    touched.insert(touched.end(), names.begin(), names.end());
    touched.emplace_back(kManifestName);
    if (tmx) {
        touched.insert(touched.end(),
                       {std::string(kTilesetFileName), std::string(kTiledProjectFileName)});
    }
    for (const std::string& name : touched) {
        const std::string target = PathInFolder(folder, name);
        if (IsSameFile(target, path)) {
            return context.fail(target, "this is the source file; unpacking would replace it");
        }
    }
    std::vector<FileContents> contents;
    std::vector<std::string> edited;
    for (std::size_t at = 0; at < names.size(); ++at) {
        const std::string target = PathInFolder(folder, names[at]);
        std::uint32_t crc = 0;
        const Found found = Inspect(context.files, target, names[at], texts[at], recorded,
                                    std::pair(int(at) + 1, maps.value()[at]), crc);
        if (found == Found::Edited && !force) {
            edited.push_back(names[at]);
        } else if (found == Found::Same || found == Found::HoldsLevel) {
            manifest.files[names[at]] = crc;
        } else {
            contents.emplace_back(target, BytesOf(texts[at]));
            manifest.files[names[at]] = Crc32(BytesOf(texts[at]));
        }
    }
    // A level file of the other format would give its level twice, so it goes.
    std::vector<std::string> stale;
    for (const std::string& name : present) {
        const auto level = LevelOfFileName(name);
        if (!level || name == names[std::size_t(*level - 1)]) {
            continue;
        }
        const std::string target = PathInFolder(folder, name);
        std::uint32_t crc = 0;
        if (Inspect(context.files, target, name, {}, recorded, std::nullopt, crc) ==
                Found::Recorded ||
            force) {
            stale.push_back(target);
        } else {
            edited.push_back(name);
        }
    }
    if (!edited.empty()) {
        return context.fail(folder, EditedFilesProblem(edited));
    }
    std::string projectText;
    if (tmx) {
        // The project's command names the bank by its absolute path, as Tiled runs it from
        // elsewhere; a project changed since unpack wrote it (a key bound) is left alone.
        std::error_code error;
        projectText = FormatTiledProject(context.program,
                                         fs::absolute(path, error).lexically_normal().string());
        const std::string name(kTiledProjectFileName);
        std::uint32_t crc = 0;
        const std::string target = PathInFolder(folder, name);
        const Found found =
            Inspect(context.files, target, name, projectText, recorded, std::nullopt, crc);
        if (found == Found::Missing || found == Found::Recorded) {
            contents.emplace_back(target, BytesOf(projectText));
            manifest.files[name] = Crc32(BytesOf(projectText));
        } else if (found == Found::Same) {
            manifest.files[name] = crc;
        } else if (const auto old = recorded.files.find(name); old != recorded.files.end()) {
            // The old record stays, so that the next unpack leaves the changed project too.
            context.note(target + ": Left as it is, since it changed after unpack wrote it.");
            manifest.files[name] = old->second;
        }
        AddFileIfChanged(context.files, PathInFolder(folder, kTilesetFileName),
                         BytesOf(tileset->text), contents);
    }
    const std::string manifestText = FormatManifest(manifest);
    AddFileIfChanged(context.files, PathInFolder(folder, kManifestName), BytesOf(manifestText),
                     contents);
    std::string failed = folder;
    if (FileStatus status = contents.empty() ? FileStatus{}
                                             : ReplaceFilesInFolder(context.files, contents,
                                                                    FileAccess::Shared, &failed);
        !status.ok()) {
        return context.fail(failed, DescribeFileStatus(status));
    }
    for (const std::string& file : stale) {
        if (FileStatus removed = context.files.remove(file); !removed.ok()) {
            return context.fail(file, DescribeFileStatus(removed));
        }
    }
    context.out << PrintableText(folder) << ": " << maps.value().size() << " levels, "
                << contents.size() << " files written\n";
    return 0;
}

}  // namespace morvane
