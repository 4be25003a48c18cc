// Test support: temporary folders and whole-file reads and writes.
#include "files.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace rx::test {

std::string program_dir() {
    return RX_PROGRAM_DIR;
}

std::string make_temp_dir(const std::string& prefix) {
#ifdef _WIN32
    // No mkdtemp on Windows: a new folder with a random suffix, created only if it did not exist.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / (prefix + "_" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) return candidate.string();
    }
    return {};
#else
    const std::string pattern = (fs::temp_directory_path() / (prefix + "_XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) return {};
    return buffer.data();
#endif
}

void remove_tree(const std::string& path) {
    if (path.empty()) return;
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out.flush());
}

}  // namespace rx::test
