#include "cli/patch_command.h"

#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/command_form.h"
#include "cli/file_contents.h"
#include "cli/text_escaping.h"
#include "leveldata/same_file.h"
#include "patches/patch_codec.h"

namespace morvane {

const char kPatchCommandHelp[] =
    "usage: morvane-levels patch make ORIGINAL EDITED -o OUT.bps|OUT.ips\n"
    "       morvane-levels patch apply PATCH SOURCE -o TARGET [--force]\n"
    "       morvane-levels patch info PATCH\n"
    "\n"
    "make writes a patch that turns ORIGINAL into EDITED, any two files, in the format OUT's\n"
    "extension names. BPS records moved data compactly and checks with CRC-32s that it is\n"
    "applied to the right file; IPS is the older format, for files up to 16 MiB.\n"
    "apply writes the patched copy of SOURCE to TARGET, a new name: SOURCE is never changed.\n"
    "An existing TARGET is refused unless --force is given, and even then only a regular file\n"
    "is replaced, never a folder, a device, a FIFO or a symbolic link (nor what it points to).\n"
    "A BPS patch is refused unless its own CRC, SOURCE's size and CRC and the result's CRC all\n"
    "match; a refused patch leaves no TARGET behind. An IPS patch that cuts the result to a\n"
    "length past its end leaves the size as it is, with a warning.\n"
    "info prints a patch's format, sizes and CRCs.\n";

namespace {

// Patches and the files they apply to are read whole; BPS results are capped at 64 MiB.
constexpr std::int64_t kMaxFile = std::int64_t(64) << 20;

std::optional<std::string> ReadInput(const CommandContext& context, const std::string& path,
                                     std::vector<std::uint8_t>& bytes) {
    return ReadInputFile(context.files, path, kMaxFile, "the file is larger than 64 MiB", bytes);
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", unsigned(value));
    return text;
}

int Make(const CommandContext& context, const ParsedOptions& options) {
    const auto output = options.value("-o");
    if (options.positional.size() != 2 || !output) {
        return context.usage("make takes ORIGINAL EDITED -o OUT");
    }
    const auto format = PatchFormatFromFileName(*output);
    if (!format) {
        return context.usage("make: OUT must end in .bps or .ips, not '" + *output + "'");
    }
    std::vector<std::uint8_t> files[2];
    for (int at = 0; at < 2; ++at) {
        const std::string& path = options.positional[std::size_t(at)];
        if (IsSameFile(path, *output)) {
            return context.fail(*output, "this is an input file; the patch would replace it");
        }
        if (auto problem = ReadInput(context, path, files[at])) {
            return context.fail(path, *problem);
        }
    }
    const auto patch = MakePatch(*format, files[0], files[1]);
    if (!patch.ok()) {
        return context.fail(*output, DescribePatchFailure(patch.failure()));
    }
    if (FileStatus status = ReplaceFileContents(context.files, *output, patch.value());
        !status.ok()) {
        return context.fail(*output, DescribeFileStatus(status));
    }
    context.out << PrintableText(*output) << ": " << PatchFormatName(*format) << " patch of "
                << patch.value().size() << " bytes\n";
    return 0;
}

int Apply(const CommandContext& context, const ParsedOptions& options) {
    const auto target = options.value("-o");
    if (options.positional.size() != 2 || !target) {
        return context.usage("apply takes PATCH SOURCE -o TARGET");
    }
    const std::string& patchPath = options.positional[0];
    const std::string& sourcePath = options.positional[1];
    if (*target == sourcePath || IsSameFile(*target, sourcePath) ||
        IsSameFile(*target, patchPath)) {
        return context.fail(*target, "TARGET must be a new file, not the SOURCE or the PATCH");
    }
    // A symbolic link counts as existing even when what it points to does not. With --force
    // the file layer still replaces nothing but a regular file.
    std::error_code error;
    if (!options.flags.contains("--force") &&
        std::filesystem::exists(std::filesystem::symlink_status(*target, error))) {
        return context.fail(*target, "it already exists; give --force to replace it");
    }
    std::vector<std::uint8_t> patch;
    std::vector<std::uint8_t> source;
    if (auto problem = ReadInput(context, patchPath, patch)) {
        return context.fail(patchPath, *problem);
    }
    if (auto problem = ReadInput(context, sourcePath, source)) {
        return context.fail(sourcePath, *problem);
    }
    const auto applied = ApplyPatch(patch, source);
    if (!applied.ok()) {
        return context.fail(patchPath, DescribePatchFailure(applied.failure()));
    }
    const std::vector<std::uint8_t>& result = applied.value().result;
    if (FileStatus status = ReplaceFileContents(context.files, *target, result); !status.ok()) {
        return context.fail(*target, DescribeFileStatus(status));
    }
    if (const auto warning = DescribeIgnoredCut(applied.value())) {
        context.note(patchPath + ": warning: " + *warning);
    }
    context.out << PrintableText(*target) << ": " << result.size() << " bytes\n";
    return 0;
}

int Info(const CommandContext& context, const ParsedOptions& options) {
    if (options.positional.size() != 1) {
        return context.usage("info takes one PATCH");
    }
    const std::string& path = options.positional[0];
    std::vector<std::uint8_t> patch;
    if (auto problem = ReadInput(context, path, patch)) {
        return context.fail(path, *problem);
    }
    const auto info = ReadPatchInfo(patch);
    if (!info.ok()) {
        return context.fail(path, DescribePatchFailure(info.failure()));
    }
    const PatchInfo& about = info.value();
    context.out << "Format:       " << PatchFormatName(about.format) << "\n"
                << "Patch size:   " << about.patchSize << "\n";
    if (about.format == PatchFormat::Ips) {
        context.out << "Records:      " << about.recordCount << "\n";
        if (about.truncatedSize) {
            context.out << "Truncated to: " << *about.truncatedSize << "\n";
        }
        return 0;
    }
    context.out << "Source size:  " << about.sourceSize << "\n"
                << "Target size:  " << about.targetSize << "\n"
                << "Source CRC32: " << Hex(about.sourceCrc) << "\n"
                << "Target CRC32: " << Hex(about.targetCrc) << "\n"
                << "Patch CRC32:  " << Hex(about.patchCrc)
                << (about.patchCrcMatches ? " (matches)" : " (does not match: damaged)") << "\n";
    return about.patchCrcMatches ? 0 : 1;
}

}  // namespace

int RunPatchCommand(const CommandContext& context, const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return context.usage("the first argument is make, apply or info");
    }
    ParsedOptions options;
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    const std::string& action = arguments[0];
    // Each action counts its own arguments.
    if (const auto refused =
            StartCommand(context, rest, {{{"--force"}, {"-o"}}, 0, kAnyNumber}, options,
                         [&]() -> std::optional<int> {
                             if (action != "apply" && options.flags.contains("--force")) {
                                 return context.usage("--force is for apply alone");
                             }
                             return std::nullopt;
                         })) {
        return *refused;
    }
    if (action == "make") {
        return Make(context, options);
    }
    if (action == "apply") {
        return Apply(context, options);
    }
    if (action == "info") {
        return Info(context, options);
    }
    return context.usage("the first argument is make, apply or info, not '" + action + "'");
}

}  // namespace morvane
