// Test support for the message window: the private program folder and its caller.
#include "message_folder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace rx::test {

message_folder::message_folder(bool with_window) {
    const fs::path from(program_dir());
    const fs::path to(dir_.path());
    fs::create_directories(to / "images");
    fs::copy_file(RX_TEST_CALLER, to / "message_box_caller");
    if (!with_window) return;
    fs::copy_file(from / "rx_message", to / "rx_message");
    fs::copy_file(from / "NEURPOLI.TTF", to / "NEURPOLI.TTF");
    for (const char* image : {"background_dark.png", "button_ok.png"}) {
        fs::copy_file(from / "images" / image, to / "images" / image);
    }
}

pid_t message_folder::start(const std::vector<std::string>& args, const std::string& display,
                            const std::string& video_driver,
                            const std::string& window_switch) const {
    const std::string out = dir_.file("output.txt");
    const std::string program = caller();
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        unsetenv("DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("RELICADE_MESSAGE_WINDOW");
        if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
        if (!video_driver.empty()) setenv("SDL_VIDEODRIVER", video_driver.c_str(), 1);
        if (!window_switch.empty()) setenv("RELICADE_MESSAGE_WINDOW", window_switch.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

int wait_exit(pid_t pid, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

}  // namespace rx::test
