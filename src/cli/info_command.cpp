#include "cli/info_command.h"

#include <cstdio>
#include <ostream>

#include "cli/bank_writes.h"
#include "cli/command_form.h"
#include "cli/json_text.h"
#include "cli/text_escaping.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"

namespace morvane {

const char kInfoCommandHelp[] =
    "usage: morvane-levels info FILE [--json]\n"
    "\n"
    "Prints the kind of FILE (name and value), its data offset, whether it is packed and how\n"
    "many levels it holds; for a bank, each level's file offset and stream length or the\n"
    "problem that keeps it from being read, then the bank's used and free bytes.\n"
    "--json prints the same as one JSON object.\n"
    "Exits 0 when the file is recognised and every level reads cleanly, 1 otherwise.\n";

namespace {

// One level's line of the info listing.
struct LevelEntry {
    int number = 0;
    std::optional<std::int64_t> fileOffset;
    std::optional<int> length;
    std::optional<std::string> error;
};

}  // namespace

int RunInfoCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    if (const auto refused =
            StartCommand(context, arguments,
                         {{{"--json"}, {}}, 1, 1, "the argument is one FILE", SourceNeed::Any},
                         options, source)) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    const bool json = options.flags.contains("--json");
    std::ostream& out = context.out;
    const auto& layout = source.layout;

    std::vector<LevelEntry> levels;
    std::optional<int> used;
    bool clean = layout.has_value();
    if (layout) {
        if (layout->hasBank) {
            const auto bank = ReadBankFromFile(*source.file, layout->dataOffset);
            if (!bank.ok()) {
                return context.fail(path, DescribeLevelFailure(bank.failure()));
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
    // A save cut short that left the bank torn is reported, not put right: info never writes.
    bool torn = false;
    if (layout && layout->hasBank) {
        BankHistory history = HistoryOf(context, path, source);
        if (const auto found = FindInterruptedWrite(*source.file, layout->dataOffset, history)) {
            if (found->error == LevelError::SaveRecordStale) {
                context.note("The last save of " + path +
                             " was interrupted, but the bank was changed since by another "
                             "program; the next write leaves it as it is and removes the record "
                             "of that save (restore point " +
                             std::to_string(found->point) + " holds the bank from before it).");
            } else {
                const std::string restore = found->error == LevelError::SaveTorn
                                                ? " Run 'morvane-levels restore " + path + " " +
                                                      std::to_string(found->point) +
                                                      "' to do it now."
                                                : "";
                context.fail(path, DescribeLevelFailure(*found) + restore);
                torn = true;
            }
        }
    }
    const auto& descriptor = source.descriptor;

    if (json) {
        JsonValue listed = JsonValue::array();
        for (const auto& entry : levels) {
            listed.push_back({{"number", entry.number},
                              {"file_offset", JsonOr(entry.fileOffset)},
                              {"length", JsonOr(entry.length)},
                              {"error", JsonOr(entry.error)}});
        }
        out << JsonText({{"kind", std::string(SourceKindName(source.kind))},
                         {"kind_value", int(source.kind)},
                         {"data_offset", layout ? JsonValue(layout->dataOffset) : JsonValue()},
                         {"compressed",
                          layout ? JsonValue(descriptor.compressed == "Yes") : JsonValue()},
                         {"num_maps", layout ? JsonValue(layout->levelCount()) : JsonValue()},
                         {"levels", listed},
                         {"bank_used", JsonOr(used)},
                         {"bank_free", used ? JsonValue(LevelBank::kSize - *used) : JsonValue()}})
            << "\n";
        if (!layout) {
            return context.fail(path, std::string(kNotASource));
        }
        return clean && !torn ? 0 : 1;
    }

    out << "File:           " << PrintableText(path) << "\n"
        << "Kind:           " << SourceKindCaption(source.kind) << " (" << int(source.kind) << ")\n"
        << "Data offset:    " << descriptor.dataOffset << "\n"
        << "Compressed:     " << descriptor.compressed << "\n"
        << "Number of maps: " << descriptor.numMaps << "\n";
    if (!layout) {
        return context.fail(path, std::string(kNotASource));
    }
    out << "\nLevel  File offset  Length\n";
    for (const auto& entry : levels) {
        char line[64];
        std::snprintf(line, sizeof line, "%5d  %11s  %6s", entry.number,
                      entry.fileOffset ? std::to_string(*entry.fileOffset).c_str() : "-",
                      entry.length ? std::to_string(*entry.length).c_str() : "-");
        out << line;
        if (entry.error) {
            out << "  " << *entry.error;
        }
        out << "\n";
    }
    if (layout->hasBank) {
        if (used) {
            out << "\nBank: " << *used << " bytes used, " << LevelBank::kSize - *used
                << " bytes free\n";
        } else {
            out << "\nBank: used and free bytes unknown (level 99 cannot be read)\n";
        }
    }
    return clean && !torn ? 0 : 1;
}

}  // namespace morvane
