#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "leveldata/disk_file_system.h"

int main(int argc, char** argv) {
    morvane::DiskFileSystem files;
    // Run by a path, the program is found again by its absolute path; by name, through PATH.
    std::string program = argc > 0 ? argv[0] : "morvane-levels";
    std::error_code error;
    if (program.find('/') != std::string::npos) {
        program = std::filesystem::absolute(program, error).lexically_normal().string();
    }
    morvane::CommandLine commandLine(files, std::cin, std::cout, std::cerr, program);
    return commandLine.run(std::vector<std::string>(argv + 1, argv + argc));
}
