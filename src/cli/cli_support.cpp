#include "cli/cli_support.h"

#include <algorithm>
#include <cctype>
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

// text as one sentence: a capital first letter and a closing full stop.
std::string Sentence(std::string text) {
    if (!text.empty()) {
        text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
        if (text.back() != '.') {
            text += '.';
        }
    }
    return text;
}

}  // namespace

int CommandContext::usage(const std::string& problem) const {
    const std::string help = command.empty() ? kProgram : kProgram + (" " + command);
    err << kProgram << ": " << (command.empty() ? "" : command + ": ") << problem << " (see '"
        << help << " --help')\n";
    return 2;
}

int CommandContext::fail(const std::string& file, const std::string& problem) const {
    err << kProgram << ": " << PrintableText(file) << ": " << Sentence(problem) << "\n";
    return 1;
}

void CommandContext::note(const std::string& text) const {
    err << kProgram << ": " << text << "\n";
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

std::optional<std::string> ParseOptions(const std::vector<std::string>& arguments,
                                        const AcceptedOptions& accepted, ParsedOptions& parsed) {
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (Contains(accepted.valueOptions, argument)) {
            if (at + 1 == arguments.size()) {
                return argument + " needs a value";
            }
            parsed.values[argument] = arguments[++at];
        } else if (Contains(accepted.flags, argument)) {
            parsed.flags.insert(argument);
        } else if (argument.starts_with("-") && !(accepted.dashIsPositional && argument == "-") &&
                   !(argument.size() > 1 &&
                     std::isdigit(static_cast<unsigned char>(argument[1])))) {
            // "-1" is a number, which the argument's own check refuses by name.
            return "unknown option '" + argument + "'";
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

std::optional<std::string> ParseLevelArgument(std::string_view name, const std::string& text,
                                              int& number) {
    const auto parsed = ParseNumber(text);
    if (!parsed || *parsed < 1 || *parsed > LevelBank::kLevelCount) {
        return std::string(name) + " must be a level number 1..99, not '" + PrintableText(text) +
               "'";
    }
    number = *parsed;
    return std::nullopt;
}

std::optional<std::string> ParseLevelArguments(std::span<const std::string_view> names,
                                               std::span<const std::string> texts,
                                               std::vector<int>& numbers) {
    numbers.assign(texts.size(), 0);
    for (std::size_t at = 0; at < texts.size(); ++at) {
        if (auto problem = ParseLevelArgument(names[at], texts[at], numbers[at])) {
            return problem;
        }
    }
    return std::nullopt;
}

namespace {

// The length of the valid UTF-8 sequence at the start of text (1 for a plain ASCII byte), or 0
// when it does not start with one. Overlong forms, surrogates and code points past U+10FFFF are
// not valid.
std::size_t Utf8SequenceLength(std::string_view text, char32_t& codePoint) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t at = 1; at < length; ++at) {
        if ((byte(at) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = codePoint << 6 | (byte(at) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool IsControl(char32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

// Walks text by UTF-8 sequences: calls keep(sequence) for each valid one that is not a control
// character, and escape(codePoint, bytes) for a control character (bytes its encoding) and for
// each byte that is not part of valid UTF-8 (codePoint then the byte's value).
template <typename Keep, typename Escape>
void ForEachSequence(std::string_view text, Keep keep, Escape escape) {
    while (!text.empty()) {
        char32_t codePoint = 0;
        std::size_t length = Utf8SequenceLength(text, codePoint);
        if (length == 0) {
            length = 1;
            codePoint = static_cast<unsigned char>(text[0]);
            escape(codePoint, text.substr(0, 1));
        } else if (IsControl(codePoint)) {
            escape(codePoint, text.substr(0, length));
        } else {
            keep(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    ForEachSequence(
        text,
        [&](std::string_view sequence) {
            if (sequence == "\"" || sequence == "\\") {
                quoted += '\\';
            }
            quoted += sequence;
        },
        [&](char32_t codePoint, std::string_view) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(codePoint));
            quoted += codePoint == '\n' ? std::string("\\n") : std::string(escaped);
        });
    return quoted + "\"";
}

std::string PrintableText(const std::string& text) {
    std::string shown;
    ForEachSequence(
        text,
        [&](std::string_view sequence) {
            shown += sequence == "\\" ? std::string_view("\\\\") : sequence;
        },
        [&](char32_t, std::string_view bytes) {
            for (const char byte : bytes) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x",
                              unsigned(static_cast<unsigned char>(byte)));
                shown += escaped;
            }
        });
    return shown;
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

void AddFileIfChanged(FileSystem& files, const std::string& path,
                      std::span<const std::uint8_t> bytes, std::vector<FileContents>& contents) {
    std::vector<std::uint8_t> existing;
    if (ReadWholeFile(files, path, std::int64_t(bytes.size()) + 1, existing).ok() &&
        std::equal(existing.begin(), existing.end(), bytes.begin(), bytes.end())) {
        return;
    }
    contents.emplace_back(path, bytes);
}

std::span<const std::uint8_t> BytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::optional<std::string> MissingTilesFolder(const std::optional<std::string>& folder) {
    std::error_code missing;
    if (folder && !std::filesystem::is_directory(*folder, missing)) {
        return "there is no folder of tile pictures of that name";
    }
    return std::nullopt;
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
        return std::string(kNotASource);
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

BankWriteOptions WriteNote(const CommandContext& context, BankHistory& history,
                        const ParsedOptions& options, std::string what) {
    return {&history, std::move(what), !options.flags.count(kNoHistory),
            [&context, &history](std::int64_t pointId) {
                LevelFailure putBack{LevelError::SaveInterrupted};
                putBack.detail = history.sourcePath();
                putBack.point = pointId;
                context.note(DescribeLevelFailure(putBack));
            }};
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
    BankHistory history = HistoryOf(context, path, source);
    const auto saved = SaveLevelsInFile(*source.file, *source.layout, std::move(changes),
                                        WriteNote(context, history, options, what));
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
