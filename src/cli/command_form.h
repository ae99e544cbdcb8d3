#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_context.h"
#include "leveldata/byte_file.h"
#include "sources/source.h"

namespace morvane {

// What a command asks of the file named by its FILE argument: nothing, that it opens, that it
// is of a known kind, or that it holds a bank of levels.
enum class SourceNeed { None, Any, Known, Bank };

// The shape of a command's arguments: the options it accepts, how many positional arguments it
// takes (fewest to most) with the usage problem for any other number, and the source it opens
// from the positional argument at sourceAt, in mode.
struct CommandForm {
    AcceptedOptions accepted;
    std::size_t fewest = 0;
    std::size_t most = 0;
    std::string_view countProblem = {};
    SourceNeed source = SourceNeed::None;
    OpenMode mode = OpenMode::ReadOnly;
    std::size_t sourceAt = 0;
};

// The most positional arguments of a command that counts them itself.
inline constexpr std::size_t kAnyNumber = std::numeric_limits<std::size_t>::max();

// A command's own check of its parsed arguments, made before its source is opened. Returns the
// exit code when it refuses them, having written why.
using ArgumentCheck = std::function<std::optional<int>()>;

// The start of every command: parses arguments into options as form accepts them, refusing an
// unknown option or another number of positional arguments as a usage error, then runs check
// when there is one. Returns the exit code when the command ends there.
std::optional<int> StartCommand(const CommandContext& context,
                                const std::vector<std::string>& arguments, const CommandForm& form,
                                ParsedOptions& options, const ArgumentCheck& check = {});

// As above, then opens the source form asks for into source, refusing the file with its
// problem.
std::optional<int> StartCommand(const CommandContext& context,
                                const std::vector<std::string>& arguments, const CommandForm& form,
                                ParsedOptions& options, Source& source,
                                const ArgumentCheck& check = {});

}  // namespace morvane
