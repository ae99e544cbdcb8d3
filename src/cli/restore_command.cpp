#include "cli/restore_command.h"

#include <ostream>

#include "cli/bank_writes.h"
#include "cli/command_form.h"
#include "leveldata/bank_restorer.h"

namespace morvane {

const char kRestoreCommandHelp[] =
    "usage: morvane-levels restore FILE ID [--no-history]\n"
    "\n"
    "Writes restore point ID (see history) back as the bank of FILE, in one write. The bank it\n"
    "replaces is kept as a new point first, so a restore can be restored in turn, unless\n"
    "--no-history is given. Refused with FILE untouched when there is no such point, the\n"
    "point's bytes do not match its checksum, or it was taken from a file of another kind or\n"
    "size.\n";

int RunRestoreCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    std::optional<std::int64_t> id;
    if (const auto refused =
            StartCommand(context, arguments,
                         {{{kNoHistory}, {}},
                          2,
                          2,
                          "the arguments are FILE and ID",
                          SourceNeed::Bank,
                          OpenMode::ReadWrite},
                         options, source, [&]() -> std::optional<int> {
                             id = ParsePointId(options.positional[1]);
                             if (!id) {
                                 return context.usage("ID must be a restore point's number, not '" +
                                                      options.positional[1] + "'");
                             }
                             return std::nullopt;
                         })) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    BankHistory history = HistoryOf(context, path, source);
    if (auto failure = RestoreBankFromHistory(*source.file, *source.layout,
                                              WriteOptions(context, history, options, {}), *id)) {
        return context.fail(path, DescribeLevelFailure(*failure));
    }
    if (FileStatus closed = source.file->close(); !closed.ok()) {
        return context.fail(path, DescribeFileStatus(closed));
    }
    context.out << "Restored point " << *id << ".\n";
    return 0;
}

}  // namespace morvane
