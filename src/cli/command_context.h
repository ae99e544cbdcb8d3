#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "leveldata/byte_file.h"

namespace morvane {

// What a command works with: the file layer, its input and output streams and the error
// stream for its one-line messages. The caller owns all of them.
struct CommandContext {
    FileSystem& files;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // The command being run, as typed ("set"), or empty before one is known.
    std::string command = {};
    // How to run this program again from another program, as unpack's Tiled project does.
    std::string program = "morvane-levels";

    // Each message goes out as PrintableText: text it quotes from files or arguments cannot
    // reach the terminal as control bytes.
    // Writes "morvane-levels: COMMAND: problem (see 'morvane-levels COMMAND --help')" as a
    // usage error and returns exit code 2.
    int usage(const std::string& problem) const;
    // usage(*problem) when there is a problem, else nothing.
    std::optional<int> usageIf(const std::optional<std::string>& problem) const;
    // Writes "morvane-levels: file: Problem." as a refused or failed operation, the problem as
    // one sentence, and returns exit code 1.
    int fail(const std::string& file, const std::string& problem) const;
    // Writes text, a sentence about something that went right or was put right, to the error
    // stream, so that it does not mix with a command's output.
    void note(const std::string& text) const;
};

// True when any argument asks for help (--help or -h).
bool WantsHelp(const std::vector<std::string>& arguments);

// The options a command accepts: flags stand alone, value options take the next argument.
// A lone "-" is refused as an option unless dashIsPositional (a name for standard input).
struct AcceptedOptions {
    std::vector<std::string_view> flags;
    std::vector<std::string_view> valueOptions;
    bool dashIsPositional = false;
};

// The arguments ParseOptions sorted: positional ones in order, the flags given and each value
// option's last value.
struct ParsedOptions {
    std::vector<std::string> positional;
    std::set<std::string, std::less<>> flags;
    std::map<std::string, std::string, std::less<>> values;

    // The value given for option, if any.
    std::optional<std::string> value(std::string_view option) const;
};

// Sorts arguments into positional ones, flags and option values; a dash followed by a digit is
// a (negative) number, not an option. Returns the usage problem for an unknown option or a
// value option at the end.
std::optional<std::string> ParseOptions(const std::vector<std::string>& arguments,
                                        const AcceptedOptions& accepted, ParsedOptions& parsed);

// A whole non-negative decimal number, or nothing.
std::optional<int> ParseNumber(const std::string& text);

// Parses text as a level number 1..99 into number; returns the usage problem, naming the
// argument by name (as the command's help does: "LEVEL") and the bad value, when it is not one.
std::optional<std::string> ParseLevelArgument(std::string_view name, const std::string& text,
                                              int& number);

// Parses each of texts as a level number 1..99 into numbers, the argument at i named names[i];
// returns the usage problem of the first that is not one.
std::optional<std::string> ParseLevelArguments(std::span<const std::string_view> names,
                                               std::span<const std::string> texts,
                                               std::vector<int>& numbers);

}  // namespace morvane
