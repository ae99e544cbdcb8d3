#include "cli/repack_command.h"

#include <ostream>

#include "cli/bank_writes.h"
#include "cli/command_form.h"
#include "leveldata/batch_save.h"

namespace morvane {

const char kRepackCommandHelp[] =
    "usage: morvane-levels repack FILE [--no-history]\n"
    "\n"
    "Saves every level 1..99 of the bank in FILE with its own tiles, in order, which packs\n"
    "every level tightly and reclaims bytes, and prints the free bytes before and after. The\n"
    "file is written once, and only when every level could be read and saved, after keeping\n"
    "the bank as it was as a restore point (see history) unless --no-history is given.\n";

int RunRepackCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    ParsedOptions options;
    Source source;
    if (const auto refused = StartCommand(context, arguments,
                                          {{{kNoHistory}, {}},
                                           1,
                                           1,
                                           "the argument is one FILE",
                                           SourceNeed::Known,
                                           OpenMode::ReadWrite},
                                          options, source)) {
        return *refused;
    }
    const std::string& path = options.positional[0];
    BankHistory history = HistoryOf(context, path, source);
    const auto repacked = RepackBankInFile(*source.file, *source.layout,
                                           WriteOptions(context, history, options, "repack"));
    if (!repacked.ok()) {
        return context.fail(path, DescribeLevelFailure(repacked.failure()));
    }
    if (FileStatus closed = source.file->close(); !closed.ok()) {
        return context.fail(path, DescribeFileStatus(closed));
    }
    context.out << "Free bytes before: " << *repacked.value().freeBefore << "\n"
                << "Free bytes after:  " << *repacked.value().freeAfter << "\n";
    if (!repacked.value().written) {
        context.out << "Every level is packed tightly already; nothing was written.\n";
    }
    return 0;
}

}  // namespace morvane
