#include "cli/command_table.h"

#include <algorithm>

#include "cli/copy_command.h"
#include "cli/diff_command.h"
#include "cli/dump_command.h"
#include "cli/export_command.h"
#include "cli/history_command.h"
#include "cli/info_command.h"
#include "cli/pack_command.h"
#include "cli/patch_command.h"
#include "cli/repack_command.h"
#include "cli/replace_command.h"
#include "cli/restore_command.h"
#include "cli/set_command.h"
#include "cli/swap_command.h"
#include "cli/unpack_command.h"

namespace morvane {

namespace {

// Every command, in the order the top-level help lists them.
constexpr CommandEntry kCommands[] = {
    {"info", "FILE [--json]", "the kind of FILE, its levels and the bank's free space",
     RunInfoCommand, kInfoCommandHelp},
    {"dump", "FILE [LEVEL|--all]", "a level's 224 tile numbers as 7 lines of 32, or every level",
     RunDumpCommand, kDumpCommandHelp},
    {"set", "FILE [LEVEL] MAPFILE", "save a level from dump's text or a Tiled map (- reads stdin)",
     RunSetCommand, kSetCommandHelp},
    {"repack", "FILE", "re-save every level packed tightly, reclaiming bytes", RunRepackCommand,
     kRepackCommandHelp},
    {"export", "FILE [LEVEL]", "the level's picture as the editor exports it", RunExportCommand,
     kExportCommandHelp},
    {"unpack", "FILE FOLDER", "every level as a file of FOLDER (--format text|tmx)",
     RunUnpackCommand, kUnpackCommandHelp},
    {"pack", "FOLDER FILE", "save the levels of FOLDER's files that differ into FILE",
     RunPackCommand, kPackCommandHelp},
    {"history", "FILE [--json]", "the restore points kept before each write of FILE",
     RunHistoryCommand, kHistoryCommandHelp},
    {"restore", "FILE ID", "write restore point ID back into FILE", RunRestoreCommand,
     kRestoreCommandHelp},
    {"diff", "A B [--json]", "the levels whose maps differ between two files", RunDiffCommand,
     kDiffCommandHelp},
    {"copy", "FILE FROM TO", "level TO gets level FROM's map", RunCopyCommand, kCopyCommandHelp},
    {"swap", "FILE A B", "levels A and B exchange their maps", RunSwapCommand, kSwapCommandHelp},
    {"replace", "FILE OLD NEW", "tile OLD becomes NEW in every level (--levels A-B)",
     RunReplaceCommand, kReplaceCommandHelp},
    {"patch", "make|apply|info", "make an IPS or BPS patch, apply one, or describe one",
     RunPatchCommand, kPatchCommandHelp},
};

// Column where the summaries start in the top-level help; a longer command line puts its
// summary on the next line, indented to this column.
constexpr std::size_t kSummaryColumn = 28;

}  // namespace

const CommandEntry* FindCommand(std::string_view name) {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandEntry& entry) { return entry.name == name; });
    return found == std::end(kCommands) ? nullptr : found;
}

std::string TopLevelHelp() {
    std::string help =
        "usage: morvane-levels COMMAND [ARGUMENTS]\n"
        "       morvane-levels --help | --version\n"
        "\n"
        "Reads and writes the levels of Morvane cartridge dumps, extracted level banks,\n"
        "MEKA savestates and bare 224-byte maps.\n"
        "\n"
        "commands:\n";
    for (const CommandEntry& entry : kCommands) {
        std::string line = std::string("  ") + entry.name + " " + entry.arguments;
        line += line.size() + 2 > kSummaryColumn ? "\n" + std::string(kSummaryColumn, ' ')
                                                 : std::string(kSummaryColumn - line.size(), ' ');
        help += line + entry.summary + "\n";
    }
    return help +
           "\n"
           "Run 'morvane-levels COMMAND --help' for a command's details.\n"
           "Exit status: 0 success, 1 refused or failed, 2 usage error.\n";
}

}  // namespace morvane
