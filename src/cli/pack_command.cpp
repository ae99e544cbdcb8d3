#include "cli/pack_command.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <ostream>

#include "cli/bank_writes.h"
#include "cli/command_form.h"
#include "cli/file_contents.h"
#include "cli/level_file.h"
#include "cli/project_folder.h"
#include "leveldata/bank_comparison.h"
#include "leveldata/bank_writer.h"
#include "leveldata/batch_save.h"
#include "leveldata/level_bank.h"

namespace morvane {

const char kPackCommandHelp[] =
    "usage: morvane-levels pack FOLDER FILE [--force] [--no-history]\n"
    "\n"
    "Saves every level whose file in FOLDER (Level1.txt .. Level99.txt, or .tmx, .tmj, .json;\n"
    "see unpack and set) differs from that level of FILE, in ascending order, byte for byte as\n"
    "that sequence of set commands would, in one write of the bank after one restore point\n"
    "(unless --no-history), and prints the levels it changed. A missing level file leaves that\n"
    "level alone; a file whose name starts with Level but is no level file's (Level7.TXT) is\n"
    "named as not read. The whole pack is refused, with FILE untouched and the level file and\n"
    "the problem named, when a level file is bad or is a map of another level, when two files\n"
    "give one level, or when FILE's bank is not the one FOLDER's manifest records: its levels\n"
    "changed since the folder was unpacked, and packing would silently undo those changes.\n"
    "--force packs anyway. After a pack the manifest records FILE's bank as packed.\n";

namespace {

constexpr std::int64_t kMaxLevelFileSize = 1 << 20;

using FolderMaps = std::array<std::optional<LevelMap>, LevelBank::kLevelCount>;

// Reads the level files of folder into maps, by level. Returns the exit code when one is bad
// or two give one level, having written why.
std::optional<int> ReadLevelFiles(const CommandContext& context, const std::string& folder,
                                  FolderMaps& maps) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    if (FileStatus listed = context.files.listDirectory(folder, names); !listed.ok()) {
        return context.fail(folder, DescribeFileStatus(listed));
    }
    std::sort(names.begin(), names.end());
    std::array<std::string, LevelBank::kLevelCount> levelFiles;
    for (const std::string& name : names) {
        const auto number = LevelOfFileName(name);
        if (!number) {
            if (LooksLikeLevelFileName(name)) {
                context.note(PathInFolder(folder, name) +
                             ": Not read: a level file is named Level1 to Level99 with .txt, .tmx, "
                             ".tmj or .json, in those letters.");
            }
            continue;
        }
        const std::string file = PathInFolder(folder, name);
        std::string& first = levelFiles[std::size_t(*number - 1)];
        if (!first.empty()) {
            return context.fail(file,
                                "level " + std::to_string(*number) + " is also given by " + first);
        }
        first = file;
        std::vector<std::uint8_t> bytes;
        if (auto problem = ReadInputFile(context.files, file, kMaxLevelFileSize,
                                         "the file is too large to be a level", bytes)) {
            return context.fail(file, *problem);
        }
        TiledLevel read;
        if (auto problem = ReadLevelFile(bytes, read)) {
            return context.fail(file, *problem);
        }
        if (read.level && *read.level != *number) {
            return context.fail(file, "the map is level " + std::to_string(*read.level) +
                                          ", but its file's name gives level " +
                                          std::to_string(*number));
        }
        maps[std::size_t(*number - 1)] = read.map;
    }
    return std::nullopt;
}

}  // namespace

int RunPackCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    FolderMaps maps;
    if (const auto refused =
            StartCommand(context, arguments,
                         {{{"--force", kNoHistory}, {}},
                          2,
                          2,
                          "the arguments are FOLDER FILE",
                          SourceNeed::Bank,
                          OpenMode::ReadWrite,
                          1},
                         options, source,
                         [&] { return ReadLevelFiles(context, options.positional[0], maps); })) {
        return *refused;
    }
    namespace fs = std::filesystem;
    const std::string& folder = options.positional[0];
    const std::string& path = options.positional[1];
    const std::string manifestPath = PathInFolder(folder, kManifestName);
    // The manifest is checked, the bank read and written and the new manifest written under the
    // bank's lock, so that no other writer's change slips in between and is undone later.
    BankHistory history = HistoryOf(context, path, source);
    const BankWriteOptions writeOptions = WriteOptions(context, history, options, "pack " + folder);
    FileLock lock(*source.file);
    if (auto failure =
            BeginBankWrite(*source.file, source.layout->dataOffset, writeOptions, lock)) {
        return context.fail(path, DescribeLevelFailure(*failure));
    }
    // The manifest must be writable before the bank is written.
    if (FileStatus writable = CheckReplaceable(context.files, manifestPath); !writable.ok()) {
        return context.fail(manifestPath, DescribeFileStatus(writable));
    }
    ProjectManifest now;
    if (auto problem = ManifestOf(source, now)) {
        return context.fail(path, *problem);
    }
    // The records of the folder's files stay as unpack left them.
    ProjectManifest recorded;
    const auto unreadable = ReadManifestFile(context.files, manifestPath, recorded);
    now.files = recorded.files;
    if (!options.flags.contains("--force")) {
        if (unreadable) {
            return context.fail(manifestPath, *unreadable +
                                                  "; without it FILE's bank cannot be checked "
                                                  "(--force packs anyway)");
        }
        if (recorded.bankCrc != now.bankCrc) {
            return context.fail(path, "its bank is not the one " + folder +
                                          " was unpacked from; its levels changed since, and "
                                          "packing would undo those changes (--force packs "
                                          "anyway)");
        }
    }
    const auto current = ReadAllMaps(*source.file, *source.layout);
    if (!current.ok()) {
        return context.fail(path, DescribeLevelFailure(current.failure()));
    }
    std::vector<LevelChange> changes;
    std::vector<int> changed;
    for (std::size_t index = 0; index < maps.size(); ++index) {
        if (maps[index] && *maps[index] != current.value()[index]) {
            changes.emplace_back(int(index), *maps[index]);
            changed.push_back(int(index) + 1);
        }
    }
    if (!changes.empty()) {
        const auto saved =
            SaveLevelsInFile(*source.file, *source.layout, std::move(changes), writeOptions);
        if (!saved.ok()) {
            return context.fail(path, DescribeLevelFailure(saved.failure()));
        }
        context.out << "Levels changed: " << LevelRanges(changed) << "\n";
    } else {
        context.out << "No level differs; nothing was written.\n";
    }
    // From here on the bank holds the folder's levels; a failure says so.
    const std::string written =
        changed.empty() ? "" : "; " + path + " was written, but its manifest was not";
    const std::string mend =
        changed.empty() ? "" : " (run 'morvane-levels unpack " + path + " " + folder + "')";
    if (auto problem = ManifestOf(source, now)) {
        return context.fail(manifestPath, *problem + written + mend);
    }
    const std::string manifestText = FormatManifest(now);
    std::vector<FileContents> contents;
    AddFileIfChanged(context.files, manifestPath, BytesOf(manifestText), contents);
    if (FileStatus status =
            contents.empty() ? FileStatus{} : ReplaceFilesInFolder(context.files, contents);
        !status.ok()) {
        return context.fail(manifestPath, DescribeFileStatus(status) + written + mend);
    }
    return 0;
}

}  // namespace morvane
