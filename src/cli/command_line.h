#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/command_context.h"
#include "leveldata/byte_file.h"

namespace morvane {

// The command-line companion: lists a source's levels, dumps a level as text, writes one back,
// repacks a bank and exports level pictures, with the same core and renderer the editor uses.
// Output goes to out, messages to err, and input for "set ... -" comes from in; the caller owns
// all of them. Exit codes: 0 success, 1 a refused or failed operation, 2 a usage error.
class CommandLine {
public:
    // program is how another program may run this one again: its path, or its name on PATH.
    CommandLine(FileSystem& files, std::istream& in, std::ostream& out, std::ostream& err,
                std::string program = "morvane-levels");

    // Runs the command named by the first argument (see command_table.h) with the rest; --help
    // and --version in its place print the top-level help or the version instead.
    int run(const std::vector<std::string>& arguments);

private:
    CommandContext m_context;
};

}  // namespace morvane
