#include "cli/export_command.h"

#include <filesystem>
#include <ostream>

#include "cli/command_form.h"
#include "cli/file_contents.h"
#include "cli/text_escaping.h"
#include "cli/tileset_export.h"
#include "leveldata/level_loader.h"
#include "leveldata/same_file.h"
#include "picture/level_export.h"
#include "picture/png_encoder.h"
#include "picture/tile_set.h"
#include "tiled/tiled_map_writer.h"

namespace morvane {

const char kExportCommandHelp[] =
    "usage: morvane-levels export FILE [LEVEL] [--tiles DIR] [--format raw|png|tmx] [-o OUT]\n"
    "       morvane-levels export FILE --all [--tiles DIR] [--format raw|png|tmx] [-o FOLDER]\n"
    "\n"
    "Writes the picture of level LEVEL (default 1) exactly as the editor's export does: the\n"
    "level at half the grid's size, 512 x 112 pixels. RAW is three bytes a pixel (blue, green,\n"
    "red) with no header; PNG holds the same pixels. The tile pictures come from DIR, by\n"
    "default the \"gif\" folder beside FILE. The file is named as the editor names it\n"
    "(Level12.raw, or FILE's name plus .raw for a single map; .png for PNG) and written beside\n"
    "FILE, or to OUT; an OUT that is a folder gets the picture under that name. --all writes\n"
    "every level of a bank, into FOLDER when -o is given, made when missing. A DIR that does\n"
    "not exist is refused. An existing regular file is replaced whole; a device, a FIFO or a\n"
    "symbolic link of that name is refused. A failed export leaves no partial picture, and\n"
    "--all writes either every picture or none.\n"
    "\n"
    "TMX writes the level as a Tiled map instead (Level12.tmx): orthogonal, 32 x 7 tiles of the\n"
    "tile pictures' size, one tile layer \"level\" in CSV, cell 0 at the top right as the\n"
    "editor shows it. Beside the maps goes the tileset tiles.tsx, written when missing and\n"
    "replaced when different: an image collection whose tile n is tile number n, its picture\n"
    "by a path relative to the tileset. Tiled's tmxrasterizer draws such a map as the PNG\n"
    "export, but leaves transparent what the export fills with the grid's background.\n";

namespace {

// The folder the exported files go to: -o's folder, the folder of -o's file, or the source's.
std::string MapFolder(const std::optional<std::string>& output, bool intoFolder,
                      const std::string& sourcePath) {
    namespace fs = std::filesystem;
    if (output) {
        return intoFolder ? *output : fs::path(*output).parent_path().string();
    }
    return fs::path(sourcePath).parent_path().string();
}

}  // namespace

int RunExportCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    std::string format;
    int first = 1;
    // The format is checked before the number of arguments, so the form takes any number.
    const auto checkArguments = [&]() -> std::optional<int> {
        const std::vector<std::string>& positional = options.positional;
        format = options.value("--format").value_or("raw");
        if (format != "raw" && format != "png" && format != "tmx") {
            return context.usage("--format is raw, png or tmx, not '" + format + "'");
        }
        if (positional.empty() || positional.size() > 2 ||
            (options.flags.contains("--all") && positional.size() == 2)) {
            return context.usage("the arguments are FILE and an optional LEVEL, or FILE --all");
        }
        if (positional.size() == 2) {
            if (auto refused = context.usageIf(ParseLevelArgument("LEVEL", positional[1], first))) {
                return refused;
            }
        }
        const auto tilesFolder = options.value("--tiles");
        if (auto problem = MissingTilesFolder(tilesFolder)) {
            return context.fail(*tilesFolder, *problem);
        }
        return std::nullopt;
    };
    if (const auto refused = StartCommand(context, arguments,
                                          {{{"--all"}, {"--tiles", "--format", "-o"}, true},
                                           0,
                                           kAnyNumber,
                                           {},
                                           SourceNeed::Known},
                                          options, source, checkArguments)) {
        return *refused;
    }
    namespace fs = std::filesystem;
    const std::string& path = options.positional[0];
    const auto tilesFolder = options.value("--tiles");
    const auto output = options.value("-o");
    const bool all = options.flags.contains("--all");
    const fs::path sourcePath(path);
    std::string tileFolder;
    TileSet tiles = TilesFor(tilesFolder, path, tileFolder);
    SourceSelection selection;
    selection.fileName = sourcePath.filename().string();
    selection.numMaps = std::string(source.descriptor.numMaps);

    std::error_code folderError;
    if (all && output && !fs::create_directories(*output, folderError) && folderError) {
        return context.fail(*output, "the folder cannot be created");
    }
    const int last = all ? source.layout->levelCount() : first;
    std::error_code notFolder;
    const bool intoFolder = all || (output && fs::is_directory(*output, notFolder));
    // Every picture is made before the first is written, so that they go to disk together.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> pictures;
    // TMX maps share one tileset, made with the first map.
    std::optional<TilesetExport> tileset;
    for (int number = first; number <= last; ++number) {
        const auto level = LoadLevelFromFile(*source.file, *source.layout, number - 1);
        if (!level.ok()) {
            return context.fail(path, DescribeLevelFailure(level.failure()));
        }
        std::string name = ExportFileName(selection, number);
        std::vector<std::uint8_t> bytes;
        if (format == "tmx") {
            name.replace(name.size() - 4, 4, ".tmx");
            if (!tileset) {
                tileset = MakeTilesetExport(tiles, tileFolder, MapFolder(output, intoFolder, path));
            }
            const std::string text =
                FormatTmxMap(level.value().map, tileset->tileSize,
                             source.layout->hasBank ? std::optional(number) : std::nullopt);
            bytes.assign(text.begin(), text.end());
        } else if (format == "png") {
            name.replace(name.size() - 4, 4, ".png");
            auto encoded = EncodePng(ExportLevelPicture(level.value().map, tiles));
            if (!encoded) {
                return context.fail(name, "the PNG picture could not be made");
            }
            bytes = std::move(*encoded);
        } else {
            bytes = RawPictureBytes(ExportLevelPicture(level.value().map, tiles));
        }
        // The editor writes beside the source; -o names the file or the folder. Names are
        // joined with '/', which Windows takes too, so that the printed names are the same.
        std::string target = (sourcePath.parent_path() / name).lexically_normal().generic_string();
        if (output) {
            target = intoFolder ? PathInFolder(*output, name) : *output;
        }
        if (IsSameFile(target, path)) {
            return context.fail(target, "this is the source file; the picture would replace it");
        }
        pictures.emplace_back(std::move(target), std::move(bytes));
    }
    std::vector<FileContents> contents;
    for (const auto& [target, bytes] : pictures) {
        contents.emplace_back(target, bytes);
    }
    const std::string tilesetPath =
        (fs::path(pictures.front().first).parent_path() / kTilesetFileName).string();
    if (tileset) {
        for (const auto& [target, bytes] : pictures) {
            if (target == tilesetPath || IsSameFile(target, tilesetPath)) {
                return context.fail(target,
                                    "this is where the maps' tileset goes; the tileset "
                                    "would replace the map");
            }
        }
        AddFileIfChanged(context.files, tilesetPath, BytesOf(tileset->text), contents);
    }
    if (const FileStatus status = ReplaceFilesInFolder(context.files, contents); !status.ok()) {
        const std::string& named = pictures.size() == 1 ? pictures.front().first
                                   : output             ? *output
                                                        : sourcePath.parent_path().string();
        return context.fail(named.empty() ? "." : named, DescribeFileStatus(status));
    }
    for (const auto& [target, bytes] : contents) {
        context.out << PrintableText(target) << "\n";
    }
    return 0;
}

}  // namespace morvane
