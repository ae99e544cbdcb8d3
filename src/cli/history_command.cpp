#include "cli/history_command.h"

#include <cstdio>
#include <ostream>

#include "leveldata/bank_comparison.h"
#include "leveldata/level_loader.h"

namespace morvane {

const char kHistoryCommandHelp[] =
    "usage: morvane-levels history FILE [--json]\n"
    "\n"
    "Lists the restore points kept for FILE, oldest first. Every command that writes a bank,\n"
    "and the editor's Save, first keeps the bank as it stood in FILE.history/ beside FILE (the\n"
    "newest 100 points, 16 KB each). For each point: its id, the time it was taken (UTC), what\n"
    "was done, and the levels whose maps differ between the point and the file now (a level\n"
    "unreadable in either counts as different). Restore a point with 'restore FILE ID'.\n"
    "--json prints {\"points\": [{\"id\", \"time\", \"what\", \"levels_changed\", "
    "\"damaged\"}]}.\n";

namespace {

struct Listed {
    HistoryEntry entry;
    std::vector<int> changed;
};

std::string JoinNumbers(const std::vector<int>& numbers, const char* separator) {
    std::string text;
    for (const int number : numbers) {
        text += (text.empty() ? "" : separator) + std::to_string(number);
    }
    return text;
}

}  // namespace

int RunHistoryCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    if (auto problem = ParseOptions("history", arguments, {{"--json"}, {}}, options)) {
        return context.usage(*problem);
    }
    if (options.positional.size() != 1) {
        return context.usage("history takes one FILE");
    }
    const std::string& path = options.positional[0];
    Source source;
    if (auto problem = OpenKnownSource(context.files, path, OpenMode::ReadOnly, source)) {
        return context.fail(path, *problem);
    }
    std::vector<Listed> points;
    // A single map is never written, so it has no points.
    if (source.layout->hasBank) {
        const auto now = ReadBankFromFile(*source.file, source.layout->dataOffset);
        if (!now.ok()) {
            return context.fail(path, DescribeLevelFailure(now.failure()));
        }
        BankHistory history = HistoryOf(context, path, source);
        for (auto& entry : history.entries()) {
            Listed listed{std::move(entry), {}};
            if (const auto& point = listed.entry.point) {
                const LevelBank then(std::span(point->bank).first(point->bankBytesPresent()),
                                     point->dataOffset);
                for (const auto& difference : CompareBanks(then, now.value())) {
                    listed.changed.push_back(difference.number);
                }
            }
            points.push_back(std::move(listed));
        }
    }

    if (options.flags.count("--json")) {
        context.out << "{\"points\": [";
        for (std::size_t at = 0; at < points.size(); ++at) {
            const auto& [entry, changed] = points[at];
            context.out << (at ? ", " : "") << "{\"id\": " << entry.id << ", \"time\": "
                        << JsonString(entry.point ? entry.point->time : std::string())
                        << ", \"what\": "
                        << JsonString(entry.point ? entry.point->what : std::string())
                        << ", \"levels_changed\": [" << JoinNumbers(changed, ", ")
                        << "], \"damaged\": " << (entry.point ? "false" : "true") << "}";
        }
        context.out << "]}\n";
        return 0;
    }
    if (points.empty()) {
        context.out << "No restore points for " << path << ".\n";
        return 0;
    }
    context.out << "   Id  Time                  What                      Levels changed since\n";
    for (const auto& [entry, changed] : points) {
        char line[160];
        if (!entry.point) {
            std::snprintf(line, sizeof line, "%5d  damaged: its bytes do not match its checksum",
                          entry.id);
        } else {
            std::snprintf(line, sizeof line, "%5d  %-20s  %-24s  %s", entry.id,
                          entry.point->time.c_str(), entry.point->what.c_str(),
                          changed.empty() ? "none" : JoinNumbers(changed, ",").c_str());
        }
        context.out << line << "\n";
    }
    return 0;
}

}  // namespace morvane
