// Messages for a person on POSIX: the line on standard error, and the installation's own message
// window (rx_message beside the program) when there is a display to show it on.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/message_box.h"
#include "platform/path.h"
#include "platform/process.h"

extern char** environ;

namespace rx::platform {

std::optional<std::string> message_window_program() {
    // Without a display nothing could be shown, and the dummy video driver is how headless runs
    // (tests among them) say so: the window would open nowhere and wait for a click that never
    // comes.
    if (get_environment("DISPLAY").empty()) return std::nullopt;
    if (get_environment("SDL_VIDEODRIVER") == "dummy") return std::nullopt;
    // Runs nobody watches (the test script) switch the window off: a program there that fails on
    // purpose would otherwise wait for an OK that no one clicks.
    if (get_environment("RELICADE_MESSAGE_WINDOW") == "off") return std::nullopt;
    std::optional<std::string> folder = executable_directory();
    if (!folder) return std::nullopt;
    std::string program = join_path(*folder, "rx_message");
    if (access(program.c_str(), X_OK) != 0) return std::nullopt;
    return program;
}

void message_box(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    std::optional<std::string> program = message_window_program();
    if (!program) return;
    // A process of its own: the caller may hold the one SDL window a process can have.
    std::string caption_arg = caption, text_arg = text;
    char* argv[] = {program->data(), caption_arg.data(), text_arg.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program->c_str(), nullptr, nullptr, argv, environ) != 0) return;
    int status = 0;
    while (waitpid(child, &status, 0) == -1 && errno == EINTR) {
    }
}

}  // namespace rx::platform
