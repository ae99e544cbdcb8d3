#pragma once

#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "leveldata/bank_history.h"
#include "leveldata/batch_save.h"
#include "leveldata/byte_file.h"
#include "leveldata/level_layout.h"
#include "sources/source_descriptor.h"

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

    // Writes "morvane-levels: COMMAND: problem (see 'morvane-levels COMMAND --help')" as a
    // usage error and returns exit code 2.
    int usage(const std::string& problem) const;
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

// text as a JSON string literal, quotes included. Any bytes give valid JSON: control characters
// are escaped, and each byte that is not part of valid UTF-8 becomes the code point of its
// value.
std::string JsonString(const std::string& text);

// text as it may go to a terminal: control characters and bytes that are not part of valid
// UTF-8 are shown as \xNN, and a backslash as two.
std::string PrintableText(const std::string& text);

// value as JSON: null when absent, else a string or a number.
template <typename T>
std::string JsonOr(const std::optional<T>& value) {
    if (!value) {
        return "null";
    }
    if constexpr (std::is_same_v<T, std::string>) {
        return JsonString(*value);
    } else {
        return std::to_string(*value);
    }
}

// Reads the text at path into text, or all of the context's input when path is "-". A file
// goes through the file layer, which refuses FIFOs and devices, and is refused when larger than
// 1 MiB, the problem then saying it is too large to be what. Returns the problem in words.
std::optional<std::string> ReadTextInput(const CommandContext& context, const std::string& path,
                                         std::string_view what, std::string& text);

// Reads the whole file at path through the file layer into bytes, which refuses FIFOs and
// devices; a file larger than maxBytes is refused with the problem tooLarge. Returns the
// problem in words.
std::optional<std::string> ReadInputFile(FileSystem& files, const std::string& path,
                                         std::int64_t maxBytes, const std::string& tooLarge,
                                         std::vector<std::uint8_t>& bytes);

// A file to write and the bytes it gets, as ReplaceFilesInFolder takes them.
using FileContents = std::pair<std::string, std::span<const std::uint8_t>>;

// Adds (path, bytes) to contents unless the file at path already holds exactly bytes: such a
// file is written when missing and replaced when different. contents keeps a view of bytes,
// which must outlive it.
void AddFileIfChanged(FileSystem& files, const std::string& path,
                      std::span<const std::uint8_t> bytes, std::vector<FileContents>& contents);

// The bytes of text, as a view.
std::span<const std::uint8_t> BytesOf(std::string_view text);

// True when both paths name one existing file, through links too.
bool IsSameExistingFile(const std::string& first, const std::string& second);

// An open source file with its kind; layout is empty when the kind is not recognised.
struct Source {
    SourceKind kind = SourceKind::Unknown;
    SourceDescriptor descriptor;
    std::optional<LevelLayout> layout;
    std::unique_ptr<ByteFile> file;
};

// The problem with a --tiles folder that does not exist, or nothing (also when none is given).
std::optional<std::string> MissingTilesFolder(const std::optional<std::string>& folder);

// What is wrong with a file of no known kind.
inline constexpr std::string_view kNotASource =
    "not a recognised source file (a cartridge dump, level bank, MEKA savestate or 224-byte map)";

// Opens path and classifies it. Returns the problem in words when the file cannot be opened;
// an unrecognised file opens fine and has no layout (OpenKnownSource refuses it).
std::optional<std::string> OpenSource(FileSystem& files, const std::string& path, OpenMode mode,
                                      Source& source);
std::optional<std::string> OpenKnownSource(FileSystem& files, const std::string& path,
                                           OpenMode mode, Source& source);

// Opens path for reading and writing as a recognised source that holds a bank; a single map is
// refused, since it is never written. Returns the problem in words.
std::optional<std::string> OpenBankSource(FileSystem& files, const std::string& path,
                                          Source& source);

// The option every command that writes a bank accepts: it keeps no restore point.
inline constexpr std::string_view kNoHistory = "--no-history";

// The restore points of the source opened from path.
BankHistory HistoryOf(const CommandContext& context, const std::string& path, const Source& source);

// What a write keeps before it starts: a point in history described by what, or none when the
// user gave --no-history. A write cut short earlier that the write puts right is told on the
// context's error stream.
BankWriteOptions WriteNote(const CommandContext& context, BankHistory& history,
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
