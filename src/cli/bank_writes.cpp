#include "cli/bank_writes.h"

#include <ostream>

#include "leveldata/level_failure.h"
#include "leveldata/level_loader.h"

namespace morvane {

BankHistory HistoryOf(const CommandContext& context, const std::string& path,
                      const Source& source) {
    return BankHistory(context.files, path, int(source.kind));
}

BankWriteOptions WriteOptions(const CommandContext& context, BankHistory& history,
                              const ParsedOptions& options, std::string what) {
    return {&history, std::move(what), !options.flags.count(kNoHistory),
            [&context](const LevelFailure& notice) { context.note(DescribeLevelFailure(notice)); }};
}

std::optional<LevelMap> LoadLevelMap(const CommandContext& context, const std::string& path,
                                     Source& source, int number) {
    const auto level = LoadLevelFromFile(*source.file, *source.layout, number - 1);
    if (!level.ok()) {
        context.fail(path, DescribeLevelFailure(level.failure()));
        return std::nullopt;
    }
    return level.value().map;
}

int SaveLevelChanges(const CommandContext& context, const std::string& path, Source& source,
                     const ParsedOptions& options, std::vector<LevelChange> changes,
                     const std::string& what, const std::string& unchanged) {
    // A level that already reads as its new map is left as it is, however it was packed: saving
    // it would only repack it.
    std::erase_if(changes, [&](const LevelChange& change) {
        const auto level = LoadLevelFromFile(*source.file, *source.layout, change.first);
        return level.ok() && level.value().map == change.second;
    });
    BankHistory history = HistoryOf(context, path, source);
    const auto saved = SaveLevelsInFile(*source.file, *source.layout, std::move(changes),
                                        WriteOptions(context, history, options, what));
    if (!saved.ok()) {
        return context.fail(path, DescribeLevelFailure(saved.failure()));
    }
    if (FileStatus closed = source.file->close(); !closed.ok()) {
        return context.fail(path, DescribeFileStatus(closed));
    }
    if (!saved.value().written) {
        context.out << unchanged << "; nothing was written.\n";
    }
    return 0;
}

}  // namespace morvane
