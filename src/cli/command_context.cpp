#include "cli/command_context.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ostream>

#include "cli/text_escaping.h"
#include "leveldata/level_bank.h"

namespace morvane {

namespace {

constexpr const char* kProgram = "morvane-levels";

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
    err << kProgram << ": " << (command.empty() ? "" : command + ": ") << PrintableText(problem)
        << " (see '" << help << " --help')\n";
    return 2;
}

std::optional<int> CommandContext::usageIf(const std::optional<std::string>& problem) const {
    if (problem) {
        return usage(*problem);
    }
    return std::nullopt;
}

int CommandContext::fail(const std::string& file, const std::string& problem) const {
    err << kProgram << ": " << PrintableText(file) << ": " << PrintableText(Sentence(problem))
        << "\n";
    return 1;
}

void CommandContext::note(const std::string& text) const {
    err << kProgram << ": " << PrintableText(text) << "\n";
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
        return std::string(name) + " must be a level number 1..99, not '" + text + "'";
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

}  // namespace morvane
