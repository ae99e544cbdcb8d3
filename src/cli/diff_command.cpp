#include "cli/diff_command.h"

#include <ostream>

#include "cli/command_form.h"
#include "cli/json_text.h"
#include "leveldata/bank_comparison.h"
#include "leveldata/level_loader.h"

namespace morvane {

const char kDiffCommandHelp[] =
    "usage: morvane-levels diff A B [--json]\n"
    "\n"
    "Lists the levels whose maps differ between A and B, each a cartridge dump of either\n"
    "release or an extracted bank, with how many of the level's 224 cells differ. A level that\n"
    "cannot be read from either file is listed as unreadable.\n"
    "--json prints {\"levels\": [{\"number\", \"cells\", \"unreadable\"}]}.\n"
    "Exits 0 whether or not levels differ, 1 when a file cannot be read.\n";

int RunDiffCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    if (const auto refused = StartCommand(
            context, arguments,
            {{{"--json"}, {}}, 2, 2, "the arguments are two files, A and B", SourceNeed::Known},
            options, source)) {
        return *refused;
    }
    // A is open; each file is checked and read before B is opened.
    std::vector<LevelBank> banks;
    for (const std::string& path : options.positional) {
        if (!banks.empty()) {
            if (auto problem = OpenKnownSource(context.files, path, OpenMode::ReadOnly, source)) {
                return context.fail(path, *problem);
            }
        }
        if (!source.layout->hasBank) {
            return context.fail(path, "holds a single map, not a bank of levels");
        }
        auto bank = ReadBankFromFile(*source.file, source.layout->dataOffset);
        if (!bank.ok()) {
            return context.fail(path, DescribeLevelFailure(bank.failure()));
        }
        banks.push_back(std::move(bank.value()));
    }
    const auto differences = CompareBanks(banks[0], banks[1]);
    if (options.flags.count("--json")) {
        JsonValue levels = JsonValue::array();
        for (const auto& level : differences) {
            levels.push_back({{"number", level.number},
                              {"cells", level.unreadable ? JsonValue() : JsonValue(level.cells)},
                              {"unreadable", level.unreadable}});
        }
        context.out << JsonText({{"levels", levels}}) << "\n";
        return 0;
    }
    if (differences.empty()) {
        context.out << "No level differs.\n";
    }
    for (const auto& level : differences) {
        context.out << "Level " << level.number << ": ";
        if (level.unreadable) {
            context.out << "unreadable\n";
        } else {
            context.out << level.cells
                        << (level.cells == 1 ? " cell differs\n" : " cells differ\n");
        }
    }
    return 0;
}

}  // namespace morvane
