#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_context.h"
#include "leveldata/bank_history.h"
#include "leveldata/batch_save.h"
#include "leveldata/level_map.h"
#include "sources/source.h"

namespace morvane {

// The option every command that writes a bank accepts: it keeps no restore point.
inline constexpr std::string_view kNoHistory = "--no-history";

// The restore points of the source opened from path.
BankHistory HistoryOf(const CommandContext& context, const std::string& path, const Source& source);

// What a write keeps before it starts: a point in history described by what, or none when the
// user gave --no-history. A write cut short earlier that the write puts right is told on the
// context's error stream.
BankWriteOptions WriteOptions(const CommandContext& context, BankHistory& history,
                              const ParsedOptions& options, std::string what);

// The map of level number (1..99) of source, opened from path; on failure writes the refusal
// and returns nothing.
std::optional<LevelMap> LoadLevelMap(const CommandContext& context, const std::string& path,
                                     Source& source, int number);

// Saves changes into the bank of source, opened from path, in one write through a restore
// point described by what (unless --no-history), as the level operations do. When the saves
// leave the bank's bytes as they are, nothing is written and unchanged (a sentence without its
// full stop) is printed. Returns the exit code, having written the refusal when there is one.
int SaveLevelChanges(const CommandContext& context, const std::string& path, Source& source,
                     const ParsedOptions& options, std::vector<LevelChange> changes,
                     const std::string& what, const std::string& unchanged);

}  // namespace morvane
