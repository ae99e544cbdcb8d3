#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "leveldata/byte_file.h"

namespace morvane {

// The command-line companion: lists a source's levels, dumps a level as text, writes one back,
// repacks a bank and exports level pictures, with the same core and renderer the editor uses.
// Output goes to out, messages to err, and input for "set ... -" comes from in. Exit codes: 0
// success, 1 a refused or failed operation, 2 a usage error.
class CommandLine {
public:
    CommandLine(FileSystem& files, std::istream& in, std::ostream& out, std::ostream& err);

    int run(const std::vector<std::string>& arguments);

private:
    int info(const std::vector<std::string>& arguments);
    int dump(const std::vector<std::string>& arguments);
    int set(const std::vector<std::string>& arguments);
    int repack(const std::vector<std::string>& arguments);
    int exportPictures(const std::vector<std::string>& arguments);

    int usage(const std::string& problem);
    int fail(const std::string& file, const std::string& problem);

    FileSystem& m_files;
    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
};

}  // namespace morvane
