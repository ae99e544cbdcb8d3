#include "cli/history_command.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "cli/bank_writes.h"
#include "cli/command_form.h"
#include "cli/json_text.h"
#include "cli/text_escaping.h"
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
    "unreadable in either counts as different), or why the point cannot be read. Restore a\n"
    "point with 'restore FILE ID'. Control characters in what was done are shown escaped.\n"
    "--json prints {\"points\": [{\"id\", \"time\", \"what\", \"levels_changed\", "
    "\"damaged\", \"problem\"}]}.\n"
    "Exits 1 when the history folder cannot be read.\n";

namespace {

// text followed by spaces to width characters, or by two spaces when it is as long; a
// character of several UTF-8 bytes counts once.
std::string Padded(const std::string& text, std::size_t width) {
    const auto characters = std::size_t(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
    return text + std::string(characters + 2 <= width ? width - characters : 2, ' ');
}

struct Listed {
    HistoryEntry entry;
    std::vector<int> changed;
};

}  // namespace

int RunHistoryCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    if (const auto refused =
            StartCommand(context, arguments,
                         {{{"--json"}, {}}, 1, 1, "the argument is one FILE", SourceNeed::Known},
                         options, source)) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    std::vector<Listed> points;
    // A single map is never written, so it has no points.
    if (source.layout->hasBank) {
        const auto now = ReadBankFromFile(*source.file, source.layout->dataOffset);
        if (!now.ok()) {
            return context.fail(path, DescribeLevelFailure(now.failure()));
        }
        BankHistory history = HistoryOf(context, path, source);
        // One point is read at a time, and only its header kept: a long history is never
        // held whole.
        const auto ids = history.pointIds();
        if (!ids.ok()) {
            return context.fail(path, DescribeLevelFailure(ids.failure()));
        }
        for (const std::int64_t id : ids.value()) {
            Listed listed{{id, history.read(id)}, {}};
            if (listed.entry.point.ok()) {
                RestorePoint& point = listed.entry.point.value();
                for (const auto& difference : CompareBanks(point.heldBank(), now.value())) {
                    listed.changed.push_back(difference.number);
                }
                point.bank = std::vector<std::uint8_t>();
            }
            points.push_back(std::move(listed));
        }
    }

    if (options.flags.count("--json")) {
        JsonValue listed = JsonValue::array();
        for (const auto& [entry, changed] : points) {
            const bool read = entry.point.ok();
            listed.push_back(
                {{"id", entry.id},
                 {"time", read ? entry.point.value().time : std::string()},
                 {"what", read ? entry.point.value().what : std::string()},
                 {"levels_changed", changed},
                 {"damaged", !read},
                 {"problem",
                  read ? JsonValue() : JsonValue(DescribeLevelFailure(entry.point.failure()))}});
        }
        context.out << JsonText({{"points", listed}}) << "\n";
        return 0;
    }
    if (points.empty()) {
        context.out << "No restore points for " << PrintableText(path) << ".\n";
        return 0;
    }
    context.out << "   Id  Time                  What                      Levels changed since\n";
    for (const auto& [entry, changed] : points) {
        char id[32];
        std::snprintf(id, sizeof id, "%5lld  ", static_cast<long long>(entry.id));
        context.out << id;
        if (!entry.point.ok()) {
            context.out << DescribeLevelFailure(entry.point.failure()) << "\n";
            continue;
        }
        const RestorePoint& point = entry.point.value();
        context.out << Padded(PrintableText(point.time), 22)
                    << Padded(PrintableText(point.what), 26)
                    << (changed.empty() ? "none" : LevelRanges(changed)) << "\n";
    }
    return 0;
}

}  // namespace morvane
