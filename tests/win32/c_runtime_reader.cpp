// Test library: reads a whole file by its path through the C runtime, as a libretro core that
// insists on a path does.
#include <cstdio>

extern "C" __declspec(dllexport) long read_by_path(const char* path, char* into, long room) {
    std::FILE* in = std::fopen(path, "rb");
    if (!in) return -1;
    long got = -2;
    if (std::fseek(in, 0, SEEK_END) == 0) {
        const long size = std::ftell(in);
        std::rewind(in);
        if (size >= 0 && size <= room) {
            got = static_cast<long>(std::fread(into, 1, static_cast<std::size_t>(size), in));
            // One more read at the end finds nothing.
            if (std::fgetc(in) != EOF || !std::feof(in)) got = -3;
        }
    }
    std::fclose(in);
    return got;
}
