// Build step: lays rx_retro's settings files into the program folder where none are there yet.
#include <cstdio>
#include <string>

#include "retro/logic/shipped_settings.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const auto failures = rx::retro::ship_settings(folder);
    for (const std::string& line : failures) std::fprintf(stderr, "%s\n", line.c_str());
    return failures.empty() ? 0 : 1;
}
