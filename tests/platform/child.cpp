// Child process for the platform tests: sleeps, exits with a code, or records its arguments.
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "sleep") == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "exit") == 0) return std::atoi(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "args") == 0) {
        // One argument per line, written to a temporary name and renamed so readers never see half
        // a file.
        std::string temp = std::string(argv[2]) + ".part";
        std::FILE* f = std::fopen(temp.c_str(), "wb");
        if (f == nullptr) return 2;
        for (int i = 3; i < argc; ++i) std::fprintf(f, "%s\n", argv[i]);
        std::fclose(f);
        return std::rename(temp.c_str(), argv[2]) == 0 ? 0 : 3;
    }
    if (argc >= 3 && std::strcmp(argv[1], "fds") == 0) {
        // Descriptors beyond standard input, output and error, not counting the one reading the
        // folder.
        DIR* dir = opendir("/proc/self/fd");
        if (dir == nullptr) return 2;
        int extra = 0;
        while (dirent* e = readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            int fd = std::atoi(e->d_name);
            if (fd > 2 && fd != dirfd(dir)) ++extra;
        }
        closedir(dir);
        std::string temp = std::string(argv[2]) + ".part";
        std::FILE* f = std::fopen(temp.c_str(), "wb");
        if (f == nullptr) return 2;
        std::fprintf(f, "%d", extra);
        std::fclose(f);
        return std::rename(temp.c_str(), argv[2]) == 0 ? 0 : 3;
    }
    return 1;
}
