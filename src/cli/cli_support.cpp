#include "cli/cli_support.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <iterator>
#include <ostream>

#include "leveldata/level_bank.h"
#include "leveldata/level_failure.h"
#include "leveldata/level_loader.h"
#include "sources/source_detector.h"

namespace morvane {

namespace {

constexpr const char* kProgram = "morvane-levels";

// A map in dump's layout is under 700 bytes; text far larger is not what a command reads.
constexpr std::int64_t kMaxTextSize = 1 << 20;

bool Contains(const std::vector<std::string_view>& names, const std::string& argument) {
    return std::find(names.begin(), names.end(), argument) != names.end();
}

}  // namespace

int CommandContext::usage(const std::string& problem) const {
    err << kProgram << ": " << problem << " (see '" << kProgram << " --help')\n";
    return 2;
}

int CommandContext::fail(const std::string& file, const std::string& problem) const {
    err << kProgram << ": " << file << ": " << problem << "\n";
    return 1;
}

void CommandContext::warn(const std::string& file, const std::string& note) const {
    err << kProgram << ": " << file << ": warning: " << note << "\n";
}

bool WantsHelp(const std::vector<std::string>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(), [](const std::string& argument) {
        return argument == "--help" || argument == "-h";
    });
}

std::optional<std::string> ParsedOptions::value(std::string_view option) const {
    const auto found = values.find(option);
    if (found == values.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::string> ParseOptions(std::string_view command,
                                        const std::vector<std::string>& arguments,
                                        const AcceptedOptions& accepted, ParsedOptions& parsed) {
    const std::string prefix = std::string(command) + ": ";
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (Contains(accepted.valueOptions, argument)) {
            if (at + 1 == arguments.size()) {
                return prefix + argument + " needs a value";
            }
            parsed.values[argument] = arguments[++at];
        } else if (Contains(accepted.flags, argument)) {
            parsed.flags.insert(argument);
        } else if (argument.starts_with("-") && !(accepted.dashIsPositional && argument == "-")) {
            return prefix + "unknown option '" + argument + "'";
        } else {
            parsed.positional.push_back(argument);
        }
    }
    return std::nullopt;
}

std::optional<int> ParseNumber(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ParseLevelArgument(std::string_view command, const std::string& text,
                                              int& number) {
    const auto parsed = ParseNumber(text);
    if (!parsed || *parsed < 1 || *parsed > LevelBank::kLevelCount) {
        return std::string(command) + ": LEVEL must be a level number 1..99, not '" + text + "'";
    }
    number = *parsed;
    return std::nullopt;
}

std::optional<std::string> ParseLevelArguments(std::string_view command,
                                               std::span<const std::string> texts,
                                               std::vector<int>& numbers) {
    numbers.assign(texts.size(), 0);
    for (std::size_t at = 0; at < texts.size(); ++at) {
        if (auto problem = ParseLevelArgument(command, texts[at], numbers[at])) {
            return problem;
        }
    }
    return std::nullopt;
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    quoted += escaped;
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + "\"";
}

std::optional<std::string> ReadTextInput(const CommandContext& context, const std::string& path,
                                         std::string_view what, std::string& text) {
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(context.in), std::istreambuf_iterator<char>());
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    if (auto problem = ReadInputFile(context.files, path, kMaxTextSize,
                                     "the file is too large to be " + std::string(what), bytes)) {
        return problem;
    }
    text.assign(bytes.begin(), bytes.end());
    return std::nullopt;
}

std::optional<std::string> ReadInputFile(FileSystem& files, const std::string& path,
                                         std::int64_t maxBytes, const std::string& tooLarge,
                                         std::vector<std::uint8_t>& bytes) {
    const FileStatus status = ReadWholeFile(files, path, maxBytes, bytes);
    if (status.error == FileError::TooLarge) {
        return tooLarge;
    }
    return status.ok() ? std::nullopt : std::optional(DescribeFileStatus(status));
}

bool IsSameExistingFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error) && !error;
}

std::optional<std::string> OpenSource(FileSystem& files, const std::string& path, OpenMode mode,
                                      Source& source) {
    FileStatus status;
    source.file = files.open(path, mode, status);
    if (!source.file) {
        return DescribeFileStatus(status);
    }
    source.kind = DetectSourceKind(*source.file);
    source.descriptor = DescriptorFor(source.kind);
    source.layout = LayoutFor(source.kind, source.descriptor.dataOffset);
    return std::nullopt;
}

std::optional<std::string> OpenKnownSource(FileSystem& files, const std::string& path,
                                           OpenMode mode, Source& source) {
    if (auto problem = OpenSource(files, path, mode, source)) {
        return problem;
    }
    if (!source.layout) {
        return "not a recognised source file (a cartridge dump, level bank, MEKA savestate or "
               "224-byte map)";
    }
    return std::nullopt;
}

std::optional<std::string> OpenBankSource(FileSystem& files, const std::string& path,
                                          Source& source) {
    if (auto problem = OpenKnownSource(files, path, OpenMode::ReadWrite, source)) {
        return problem;
    }
    if (!source.layout->hasBank) {
        return DescribeLevelFailure(LevelFailure{LevelError::NotABank});
    }
    return std::nullopt;
}

BankHistory HistoryOf(const CommandContext& context, const std::string& path,
                      const Source& source) {
    return BankHistory(context.files, path, int(source.kind));
}

BankWriteNote WriteNote(BankHistory& history, const ParsedOptions& options, std::string what) {
    if (options.flags.count(kNoHistory)) {
        return {};
    }
    return {&history, std::move(what)};
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
                     const std::string& what) {
    BankHistory history = HistoryOf(context, path, source);
    const auto saved = SaveLevelsInFile(*source.file, *source.layout, std::move(changes),
                                        WriteNote(history, options, what));
    if (!saved.ok()) {
        return context.fail(path, DescribeLevelFailure(saved.failure()));
    }
    if (FileStatus closed = source.file->close(); !closed.ok()) {
        return context.fail(path, DescribeFileStatus(closed));
    }
    return 0;
}

}  // namespace morvane
