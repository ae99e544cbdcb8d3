#include "cli/command_form.h"

namespace morvane {

namespace {

std::optional<std::string> OpenNeededSource(FileSystem& files, const std::string& path,
                                            const CommandForm& form, Source& source) {
    switch (form.source) {
        case SourceNeed::None:
            return std::nullopt;
        case SourceNeed::Any:
            return OpenSource(files, path, form.mode, source);
        case SourceNeed::Known:
            return OpenKnownSource(files, path, form.mode, source);
        case SourceNeed::Bank:
            return OpenBankSource(files, path, form.mode, source);
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> StartCommand(const CommandContext& context,
                                const std::vector<std::string>& arguments, const CommandForm& form,
                                ParsedOptions& options, const ArgumentCheck& check) {
    if (auto problem = ParseOptions(arguments, form.accepted, options)) {
        return context.usage(*problem);
    }
    const std::size_t count = options.positional.size();
    if (count < form.fewest || count > form.most) {
        return context.usage(std::string(form.countProblem));
    }
    return check ? check() : std::nullopt;
}

std::optional<int> StartCommand(const CommandContext& context,
                                const std::vector<std::string>& arguments, const CommandForm& form,
                                ParsedOptions& options, Source& source,
                                const ArgumentCheck& check) {
    if (auto refused = StartCommand(context, arguments, form, options, check)) {
        return refused;
    }
    const std::string& path = options.positional[form.sourceAt];
    if (auto problem = OpenNeededSource(context.files, path, form, source)) {
        return context.fail(path, *problem);
    }
    return std::nullopt;
}

}  // namespace morvane
