#include "cli/command_line.h"

#include <ostream>

#include "cli/command_table.h"
#include "morvane_version.h"

namespace morvane {

CommandLine::CommandLine(FileSystem& files, std::istream& in, std::ostream& out, std::ostream& err,
                         std::string program)
    : m_context{files, in, out, err, {}, std::move(program)} {}

int CommandLine::run(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return m_context.usage("no command given");
    }
    const std::string& name = arguments[0];
    if (name == "--help" || name == "-h" || name == "help") {
        m_context.out << TopLevelHelp();
        return 0;
    }
    if (name == "--version") {
        m_context.out << "morvane-levels " << kVersion << "\n";
        return 0;
    }
    const CommandEntry* command = FindCommand(name);
    if (!command) {
        return m_context.usage("unknown command '" + name + "'");
    }
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (WantsHelp(rest)) {
        m_context.out << command->help;
        return 0;
    }
    CommandContext context = m_context;
    context.command = name;
    return command->run(context, rest);
}

}  // namespace morvane
