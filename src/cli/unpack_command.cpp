#include "cli/unpack_command.h"

#include <filesystem>
#include <ostream>

#include "cli/command_form.h"
#include "cli/file_contents.h"
#include "cli/project_folder.h"
#include "cli/tileset_export.h"
#include "leveldata/batch_save.h"
#include "leveldata/map_text.h"
#include "leveldata/same_file.h"
#include "tiled/tiled_map_writer.h"

namespace morvane {

const char kUnpackCommandHelp[] =
    "usage: morvane-levels unpack FILE FOLDER [--format text|tmx] [--tiles DIR]\n"
    "\n"
    "Writes every level of the bank in FILE as a file of FOLDER, made when missing: Level1.txt\n"
    "to Level99.txt in dump's layout, or with --format tmx Level1.tmx to Level99.tmx and their\n"
    "tileset tiles.tsx (see export; the tile pictures come from DIR, by default the \"gif\"\n"
    "folder beside FILE). It also writes manifest.txt: FILE's kind, its size and the CRC-32 of\n"
    "its bank, which pack checks. Files that already hold the same bytes are left as they are;\n"
    "level files of the other format are removed, so each level has one file. Nothing is\n"
    "written when a level cannot be read.\n";

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
                                          {{{}, {"--format", "--tiles"}},
                                           2,
                                           2,
                                           "the arguments are FILE FOLDER",
                                           SourceNeed::Bank},
                                          options, source, checkFormatAndTiles)) {
        return *refused;
    }
    namespace fs = std::filesystem;
    const std::string& path = options.positional[0];
    const std::string& folder = options.positional[1];
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
    const std::string manifestText = FormatManifest(manifest);
    std::vector<FileContents> contents;
    for (std::size_t at = 0; at < names.size(); ++at) {
        AddFileIfChanged(context.files, (fs::path(folder) / names[at]).string(), BytesOf(texts[at]),
                         contents);
    }
    if (tileset) {
        AddFileIfChanged(context.files, (fs::path(folder) / kTilesetFileName).string(),
                         BytesOf(tileset->text), contents);
    }
    AddFileIfChanged(context.files, (fs::path(folder) / kManifestName).string(),
                     BytesOf(manifestText), contents);
    // A level file of the other format would give its level twice, so it goes.
    std::vector<std::string> present, stale;
    if (FileStatus listed = context.files.listDirectory(folder, present); !listed.ok()) {
        return context.fail(folder, DescribeFileStatus(listed));
    }
    for (const std::string& name : present) {
        const auto level = LevelOfFileName(name);
        if (level && name != names[std::size_t(*level - 1)]) {
            stale.push_back((fs::path(folder) / name).string());
        }
    }
    // Nothing is written or removed when any of it is the source itself.
    for (const auto& target : contents) {
        stale.push_back(target.first);
    }
    for (const auto& target : stale) {
        if (IsSameFile(target, path)) {
            return context.fail(target, "this is the source file; unpacking would replace it");
        }
    }
    stale.resize(stale.size() - contents.size());
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
    context.out << folder << ": " << maps.value().size() << " levels, " << contents.size()
                << " files written\n";
    return 0;
}

}  // namespace morvane
