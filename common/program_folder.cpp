// The program folder and the error log: the programs find every file through their own folder.
#include "common/program_folder.h"

#include <fstream>

#include "platform/path.h"

namespace rx {

namespace {

std::optional<std::string>& directory_override() {
    static std::optional<std::string> value;
    return value;
}

}  // namespace

void set_directory_override(std::optional<std::string> directory) {
    directory_override() = std::move(directory);
}

std::optional<std::string> get_directory() {
    try {
        if (directory_override()) return directory_override();
        // The executable does not move while it runs.
        static const std::optional<std::string> directory = platform::executable_directory();
        return directory;
    } catch (...) {
        // Nowhere to log to without the folder.
        return std::nullopt;
    }
}

void log_error(std::string_view text) {
    try {
        const auto dir = get_directory();
        if (!dir) return;
        std::ofstream out(platform::join_path(*dir, "error_log.txt"),
                          std::ios::binary | std::ios::app);
        if (!out) return;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.put('\n');
    } catch (...) {
        // A lost log line must never take the program down.
    }
}

}  // namespace rx
