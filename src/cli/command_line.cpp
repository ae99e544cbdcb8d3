#include "cli/command_line.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <charconv>
#include <cstdio>
#include <istream>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <type_traits>

#include "leveldata/bank_repacker.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "sources/source_descriptor.h"
#include "sources/source_detector.h"
#include "ui/editor/level_export.h"
#include "ui/editor/tile_images.h"

namespace morvane {

namespace {

constexpr const char* kProgram = "morvane-levels";

constexpr const char* kHelp =
    "usage: morvane-levels COMMAND [ARGUMENTS]\n"
    "\n"
    "Reads and writes the levels of Morvane cartridge dumps, extracted level banks,\n"
    "MEKA savestates and bare 224-byte maps.\n"
    "\n"
    "commands:\n"
    "  info FILE [--json]        the kind of FILE, its levels and the bank's free space\n"
    "  dump FILE [LEVEL]         a level's 224 tile numbers as 7 lines of 32\n"
    "  set FILE LEVEL MAPFILE    save a level from text in dump's layout (- reads stdin)\n"
    "  repack FILE               re-save every level packed tightly, reclaiming bytes\n"
    "  export FILE [LEVEL]       the level's picture as the editor exports it\n"
    "\n"
    "Run 'morvane-levels COMMAND --help' for a command's details.\n"
    "Exit status: 0 success, 1 refused or failed, 2 usage error.\n";

constexpr const char* kInfoHelp =
    "usage: morvane-levels info FILE [--json]\n"
    "\n"
    "Prints the kind of FILE (name and value), its data offset, whether it is packed and how\n"
    "many levels it holds; for a bank, each level's file offset and stream length or the\n"
    "problem that keeps it from being read, then the bank's used and free bytes.\n"
    "--json prints the same as one JSON object.\n"
    "Exits 0 when the file is recognised and every level reads cleanly, 1 otherwise.\n";

constexpr const char* kDumpHelp =
    "usage: morvane-levels dump FILE [LEVEL]\n"
    "\n"
    "Prints level LEVEL (1..99, default 1; a single map has only level 1) as 7 lines of 32\n"
    "tile numbers, left to right and top row first, as the editor shows the level.\n";

constexpr const char* kSetHelp =
    "usage: morvane-levels set FILE LEVEL MAPFILE\n"
    "\n"
    "Reads 224 tile numbers (0..63) in the layout dump prints from MAPFILE, or from standard\n"
    "input when MAPFILE is -, and saves them as level LEVEL of the bank in FILE exactly as the\n"
    "editor's Save does, moving every later level and pointer. The file is left untouched when\n"
    "the text is bad, the source holds a single map, the level cannot be read or the new level\n"
    "does not fit the bank.\n";

constexpr const char* kRepackHelp =
    "usage: morvane-levels repack FILE\n"
    "\n"
    "Saves every level 1..99 of the bank in FILE with its own tiles, in order, which packs\n"
    "every level tightly and reclaims bytes, and prints the free bytes before and after. The\n"
    "file is written once, and only when every level could be read and saved.\n";

constexpr const char* kExportHelp =
    "usage: morvane-levels export FILE [LEVEL] [--tiles DIR] [--format raw|png] [-o OUT]\n"
    "       morvane-levels export FILE --all [--tiles DIR] [--format raw|png] [-o FOLDER]\n"
    "\n"
    "Writes the picture of level LEVEL (default 1) exactly as the editor's export does: the\n"
    "level at half the grid's size, 512 x 112 pixels. RAW is three bytes a pixel (blue, green,\n"
    "red) with no header; PNG holds the same pixels. The tile pictures come from DIR, by\n"
    "default the \"gif\" folder beside FILE. The file is named as the editor names it\n"
    "(Level12.raw, or FILE's name plus .raw for a single map; .png for PNG) and written beside\n"
    "FILE, or to OUT. --all writes every level of a bank, into FOLDER when -o is given.\n"
    "An existing file is replaced whole; a failed export leaves no partial picture.\n";

struct Source {
    SourceKind kind = SourceKind::Unknown;
    SourceDescriptor descriptor;
    std::optional<LevelLayout> layout;
    std::unique_ptr<ByteFile> file;
};

bool WantsHelp(const std::vector<std::string>& arguments) {
    for (const auto& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            return true;
        }
    }
    return false;
}

std::optional<int> ParseNumber(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

// A level number 1..99 as the user typed it.
std::optional<int> ParseLevelNumber(const std::string& text) {
    const auto number = ParseNumber(text);
    if (!number || *number < 1 || *number > LevelBank::kLevelCount) {
        return std::nullopt;
    }
    return number;
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    quoted += escaped;
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + "\"";
}

template <typename T>
std::string JsonOr(const std::optional<T>& value) {
    if (!value) {
        return "null";
    }
    if constexpr (std::is_same_v<T, std::string>) {
        return JsonString(*value);
    } else if constexpr (std::is_same_v<T, bool>) {
        return *value ? "true" : "false";
    } else {
        return std::to_string(*value);
    }
}

// One level's line of the info listing.
struct LevelEntry {
    int number = 0;
    std::optional<std::int64_t> fileOffset;
    std::optional<int> length;
    std::optional<std::string> error;
};

}  // namespace

CommandLine::CommandLine(FileSystem& files, std::istream& in, std::ostream& out, std::ostream& err)
    : m_files(files), m_in(in), m_out(out), m_err(err) {}

int CommandLine::run(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return usage("no command given");
    }
    const std::string& command = arguments[0];
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (command == "--help" || command == "-h" || command == "help") {
        m_out << kHelp;
        return 0;
    }
    if (command == "info") {
        return info(rest);
    }
    if (command == "dump") {
        return dump(rest);
    }
    if (command == "set") {
        return set(rest);
    }
    if (command == "repack") {
        return repack(rest);
    }
    if (command == "export") {
        return exportPictures(rest);
    }
    return usage("unknown command '" + command + "'");
}

int CommandLine::usage(const std::string& problem) {
    m_err << kProgram << ": " << problem << " (see '" << kProgram << " --help')\n";
    return 2;
}

int CommandLine::fail(const std::string& file, const std::string& problem) {
    m_err << kProgram << ": " << file << ": " << problem << "\n";
    return 1;
}

namespace {

constexpr const char* kNotRecognised =
    "not a recognised source file (a cartridge dump, level bank, MEKA savestate or 224-byte map)";

// Opens path and classifies it. Returns the problem in words when the file cannot be opened;
// an unrecognised file opens fine and has no layout (OpenKnownSource refuses it).
std::optional<std::string> OpenSource(FileSystem& files, const std::string& path, OpenMode mode,
                                      Source& source) {
    FileStatus status;
    source.file = files.open(path, mode, status);
    if (!source.file) {
        return DescribeFileStatus(status);
    }
    source.kind = DetectSourceKind(*source.file);
    source.descriptor = DescriptorFor(source.kind);
    source.layout = LayoutFor(source.kind, source.descriptor.dataOffset);
    return std::nullopt;
}

std::optional<std::string> OpenKnownSource(FileSystem& files, const std::string& path,
                                           OpenMode mode, Source& source) {
    if (auto problem = OpenSource(files, path, mode, source)) {
        return problem;
    }
    if (!source.layout) {
        return kNotRecognised;
    }
    return std::nullopt;
}

}  // namespace

int CommandLine::info(const std::vector<std::string>& arguments) {
    if (WantsHelp(arguments)) {
        m_out << kInfoHelp;
        return 0;
    }
    bool json = false;
    std::vector<std::string> files;
    for (const auto& argument : arguments) {
        if (argument == "--json") {
            json = true;
        } else if (argument.starts_with("-")) {
            return usage("info: unknown option '" + argument + "'");
        } else {
            files.push_back(argument);
        }
    }
    if (files.size() != 1) {
        return usage("info takes one FILE");
    }
    const std::string& path = files[0];

    Source source;
    if (auto problem = OpenSource(m_files, path, OpenMode::ReadOnly, source)) {
        return fail(path, *problem);
    }
    const auto& layout = source.layout;

    std::vector<LevelEntry> levels;
    std::optional<int> used;
    bool clean = layout.has_value();
    if (layout) {
        if (layout->hasBank) {
            const auto bank = ReadBankFromFile(*source.file, layout->dataOffset);
            if (!bank.ok()) {
                return fail(path, DescribeLevelFailure(bank.failure()));
            }
            for (int index = 0; index < LevelBank::kLevelCount; ++index) {
                LevelEntry entry{index + 1, {}, {}, {}};
                const auto level = bank.value().readLevel(index);
                if (level.ok()) {
                    entry.fileOffset = layout->dataOffset + level.value().offset;
                    entry.length = level.value().length;
                } else {
                    if (2 * index + 2 <= int(bank.value().bytes().size()) &&
                        bank.value().pointer(index).pointsIntoDataArea()) {
                        entry.fileOffset =
                            layout->dataOffset + bank.value().pointer(index).offset();
                    }
                    entry.error = DescribeLevelFailure(level.failure());
                    clean = false;
                }
                levels.push_back(entry);
            }
            if (const auto end = bank.value().usedBytes(); end.ok()) {
                used = end.value();
            }
        } else {
            LevelEntry entry{1, layout->dataOffset, {}, {}};
            const auto level = LoadLevelFromFile(*source.file, *layout, 0);
            if (level.ok()) {
                entry.length = level.value().oldPackedLength;
            } else {
                entry.error = DescribeLevelFailure(level.failure());
                clean = false;
            }
            levels.push_back(entry);
        }
    }
    const std::optional<int> freeBytes =
        used ? std::optional<int>(LevelBank::kSize - *used) : std::nullopt;
    const auto& descriptor = source.descriptor;
    const std::optional<std::int64_t> dataOffset =
        layout ? std::optional<std::int64_t>(layout->dataOffset) : std::nullopt;
    const std::optional<bool> compressed =
        layout ? std::optional<bool>(descriptor.compressed == "Yes") : std::nullopt;
    const std::optional<int> numMaps =
        layout ? std::optional<int>(layout->levelCount()) : std::nullopt;

    if (json) {
        m_out << "{\"kind\": " << JsonString(std::string(SourceKindName(source.kind)))
              << ", \"kind_value\": " << int(source.kind)
              << ", \"data_offset\": " << JsonOr(dataOffset)
              << ", \"compressed\": " << JsonOr(compressed) << ", \"num_maps\": " << JsonOr(numMaps)
              << ", \"levels\": [";
        for (std::size_t at = 0; at < levels.size(); ++at) {
            const auto& entry = levels[at];
            m_out << (at ? ", " : "") << "{\"number\": " << entry.number
                  << ", \"file_offset\": " << JsonOr(entry.fileOffset)
                  << ", \"length\": " << JsonOr(entry.length)
                  << ", \"error\": " << JsonOr(entry.error) << "}";
        }
        m_out << "], \"bank_used\": " << JsonOr(used) << ", \"bank_free\": " << JsonOr(freeBytes)
              << "}\n";
        return clean ? 0 : 1;
    }

    m_out << "File:           " << path << "\n"
          << "Kind:           " << SourceKindName(source.kind) << " (" << int(source.kind) << ")\n"
          << "Data offset:    " << descriptor.dataOffset << "\n"
          << "Compressed:     " << descriptor.compressed << "\n"
          << "Number of maps: " << descriptor.numMaps << "\n";
    if (!layout) {
        return 1;
    }
    m_out << "\nLevel  File offset  Length\n";
    for (const auto& entry : levels) {
        char line[64];
        std::snprintf(line, sizeof line, "%5d  %11s  %6s", entry.number,
                      entry.fileOffset ? std::to_string(*entry.fileOffset).c_str() : "-",
                      entry.length ? std::to_string(*entry.length).c_str() : "-");
        m_out << line;
        if (entry.error) {
            m_out << "  " << *entry.error;
        }
        m_out << "\n";
    }
    if (layout->hasBank) {
        if (used) {
            m_out << "\nBank: " << *used << " bytes used, " << *freeBytes << " bytes free\n";
        } else {
            m_out << "\nBank: used and free bytes unknown (level 99 cannot be read)\n";
        }
    }
    return clean ? 0 : 1;
}

int CommandLine::dump(const std::vector<std::string>& arguments) {
    if (WantsHelp(arguments)) {
        m_out << kDumpHelp;
        return 0;
    }
    if (arguments.empty() || arguments.size() > 2) {
        return usage("dump takes FILE and an optional LEVEL");
    }
    const std::string& path = arguments[0];
    int number = 1;
    if (arguments.size() == 2) {
        const auto parsed = ParseLevelNumber(arguments[1]);
        if (!parsed) {
            return usage("dump: LEVEL must be a level number 1..99, not '" + arguments[1] + "'");
        }
        number = *parsed;
    }
    Source source;
    if (auto problem = OpenKnownSource(m_files, path, OpenMode::ReadOnly, source)) {
        return fail(path, *problem);
    }
    const auto level = LoadLevelFromFile(*source.file, *source.layout, number - 1);
    if (!level.ok()) {
        return fail(path, DescribeLevelFailure(level.failure()));
    }
    for (int row = 0; row < LevelMap::kRows; ++row) {
        for (int column = 0; column < LevelMap::kColumns; ++column) {
            m_out << (column ? " " : "")
                  << int(level.value().map.cell(LevelMap::cellAt(column, row)));
        }
        m_out << "\n";
    }
    return 0;
}

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

// Reads a whole text file through the file layer, which refuses FIFOs and devices.
std::optional<std::string> ReadText(FileSystem& files, const std::string& path, std::string& text) {
    FileStatus status;
    auto file = files.open(path, OpenMode::ReadOnly, status);
    if (!file) {
        return DescribeFileStatus(status);
    }
    std::int64_t length = 0;
    if (status = file->size(length); !status.ok()) {
        return DescribeFileStatus(status);
    }
    // A map in dump's layout is under 700 bytes; anything far larger is not one.
    if (length > 1 << 20) {
        return "the file is too large to be a map";
    }
    text.resize(std::size_t(length));
    std::size_t got = 0;
    if (status = file->readAt(
            0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size()), got);
        !status.ok()) {
        return DescribeFileStatus(status);
    }
    text.resize(got);
    return std::nullopt;
}

}  // namespace

int CommandLine::set(const std::vector<std::string>& arguments) {
    if (WantsHelp(arguments)) {
        m_out << kSetHelp;
        return 0;
    }
    if (arguments.size() != 3) {
        return usage("set takes FILE LEVEL MAPFILE");
    }
    const std::string& path = arguments[0];
    const auto number = ParseLevelNumber(arguments[1]);
    if (!number) {
        return usage("set: LEVEL must be a level number 1..99, not '" + arguments[1] + "'");
    }
    const std::string& mapPath = arguments[2];
    std::string text;
    if (mapPath == "-") {
        text.assign(std::istreambuf_iterator<char>(m_in), std::istreambuf_iterator<char>());
    } else if (auto problem = ReadText(m_files, mapPath, text)) {
        return fail(mapPath, *problem);
    }
    LevelMap map;
    if (auto problem = ParseMapText(text, map)) {
        return fail(mapPath == "-" ? "standard input" : mapPath, *problem);
    }

    Source source;
    if (auto problem = OpenKnownSource(m_files, path, OpenMode::ReadWrite, source)) {
        return fail(path, *problem);
    }
    if (!source.layout->hasBank) {
        return fail(path, DescribeLevelFailure(LevelFailure{LevelError::NotABank}));
    }
    const auto level = LoadLevelFromFile(*source.file, *source.layout, *number - 1);
    if (!level.ok()) {
        return fail(path, DescribeLevelFailure(level.failure()));
    }
    const auto saved = SaveLevelToFile(*source.file, *source.layout, *number - 1, map,
                                       level.value().oldPackedLength, level.value().levelOffset);
    if (!saved.ok()) {
        return fail(path, DescribeLevelFailure(saved.failure()));
    }
    if (FileStatus closed = source.file->close(); !closed.ok()) {
        return fail(path, DescribeFileStatus(closed));
    }
    return 0;
}

int CommandLine::repack(const std::vector<std::string>& arguments) {
    if (WantsHelp(arguments)) {
        m_out << kRepackHelp;
        return 0;
    }
    if (arguments.size() != 1) {
        return usage("repack takes one FILE");
    }
    const std::string& path = arguments[0];
    Source source;
    if (auto problem = OpenKnownSource(m_files, path, OpenMode::ReadWrite, source)) {
        return fail(path, *problem);
    }
    const auto repacked = RepackBankInFile(*source.file, *source.layout);
    if (!repacked.ok()) {
        return fail(path, DescribeLevelFailure(repacked.failure()));
    }
    if (FileStatus closed = source.file->close(); !closed.ok()) {
        return fail(path, DescribeFileStatus(closed));
    }
    m_out << "Free bytes before: " << repacked.value().freeBefore << "\n"
          << "Free bytes after:  " << repacked.value().freeAfter << "\n";
    return 0;
}

int CommandLine::exportPictures(const std::vector<std::string>& arguments) {
    if (WantsHelp(arguments)) {
        m_out << kExportHelp;
        return 0;
    }
    std::vector<std::string> positional;
    std::optional<std::string> tilesFolder;
    std::optional<std::string> output;
    std::string format = "raw";
    bool all = false;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        const bool takesValue = argument == "--tiles" || argument == "--format" || argument == "-o";
        if (takesValue && at + 1 == arguments.size()) {
            return usage("export: " + argument + " needs a value");
        }
        if (argument == "--tiles") {
            tilesFolder = arguments[++at];
        } else if (argument == "--format") {
            format = arguments[++at];
        } else if (argument == "-o") {
            output = arguments[++at];
        } else if (argument == "--all") {
            all = true;
        } else if (argument.starts_with("-") && argument != "-") {
            return usage("export: unknown option '" + argument + "'");
        } else {
            positional.push_back(argument);
        }
    }
    if (format != "raw" && format != "png") {
        return usage("export: --format is raw or png, not '" + format + "'");
    }
    if (positional.empty() || positional.size() > 2 || (all && positional.size() == 2)) {
        return usage("export takes FILE and an optional LEVEL, or FILE --all");
    }
    const std::string& path = positional[0];
    int first = 1;
    if (positional.size() == 2) {
        const auto parsed = ParseLevelNumber(positional[1]);
        if (!parsed) {
            return usage("export: LEVEL must be a level number 1..99, not '" + positional[1] + "'");
        }
        first = *parsed;
    }

    Source source;
    if (auto problem = OpenKnownSource(m_files, path, OpenMode::ReadOnly, source)) {
        return fail(path, *problem);
    }
    const QFileInfo sourceInfo(QFile::decodeName(path.c_str()));
    TileImages tiles = tilesFolder
                           ? TileImages::FromTileFolder(QFile::decodeName(tilesFolder->c_str()))
                           : TileImages(sourceInfo.absolutePath());
    SourceSelection selection;
    selection.fileName = QFile::encodeName(sourceInfo.fileName()).toStdString();
    selection.numMaps = std::string(source.descriptor.numMaps);

    if (all && output && !QDir().mkpath(QFile::decodeName(output->c_str()))) {
        return fail(*output, "the folder cannot be created");
    }
    const int last = all ? source.layout->levelCount() : first;
    for (int number = first; number <= last; ++number) {
        const auto level = LoadLevelFromFile(*source.file, *source.layout, number - 1);
        if (!level.ok()) {
            return fail(path, DescribeLevelFailure(level.failure()));
        }
        const QImage picture = ExportLevelPicture(level.value().map, tiles);
        QString name = ExportFileName(selection, number);
        std::vector<std::uint8_t> bytes;
        if (format == "png") {
            name.replace(name.size() - 4, 4, QStringLiteral(".png"));
            QBuffer encoded;
            encoded.open(QIODevice::WriteOnly);
            picture.save(&encoded, "PNG");
            bytes.assign(encoded.data().begin(), encoded.data().end());
        } else {
            bytes = RawPictureBytes(picture);
        }
        // The editor writes beside the source; -o names the file, or the folder for --all.
        QString target = QDir::cleanPath(sourceInfo.dir().filePath(name));
        if (output) {
            const QString given = QFile::decodeName(output->c_str());
            target = all ? QDir(given).filePath(name) : given;
        }
        const std::string targetPath = QFile::encodeName(target).toStdString();
        if (IsSameFile(target, sourceInfo.filePath())) {
            return fail(targetPath, "this is the source file; the picture would replace it");
        }
        if (const FileStatus status = ReplaceFileContents(m_files, targetPath, bytes);
            !status.ok()) {
            return fail(targetPath, DescribeFileStatus(status));
        }
        m_out << targetPath << "\n";
    }
    return 0;
}

}  // namespace morvane
