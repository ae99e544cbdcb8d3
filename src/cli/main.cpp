#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "leveldata/disk_file_system.h"

int main(int argc, char** argv) {
    morvane::DiskFileSystem files;
    morvane::CommandLine commandLine(files, std::cin, std::cout, std::cerr);
    return commandLine.run(std::vector<std::string>(argv + 1, argv + argc));
}
