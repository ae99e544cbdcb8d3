#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/command_line.h"
#include "leveldata/disk_file_system.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // The C runtime's text mode would turn each "\n" written into "\r\n" and end input at a
    // Ctrl+Z byte: what the program prints and reads is the same bytes as on Linux.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    morvane::DiskFileSystem files;
    // Run by a path, the program is found again by its absolute path; by name, through PATH.
    std::string program = argc > 0 ? argv[0] : "morvane-levels";
    std::error_code error;
    if (std::filesystem::path(program).has_parent_path()) {
        program = std::filesystem::absolute(program, error).lexically_normal().string();
    }
    morvane::CommandLine commandLine(files, std::cin, std::cout, std::cerr, program);
    return commandLine.run(std::vector<std::string>(argv + 1, argv + argc));
}
