// Test support: Relicade in a private program folder against rx_service, driven on the test's X
// display.
#include "relicade_window.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "files.h"
#include "wait.h"

namespace fs = std::filesystem;

namespace rx::test {

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

bool xdotool(const std::string& arguments) {
    const std::string command = "timeout 10 xdotool " + arguments + " >/dev/null 2>&1";
    const bool done = std::system(command.c_str()) == 0;
    pause_ms(150);
    return done;
}

pid_t spawn_relicade(const std::string& program, const std::string& web_host, int game_port) {
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("RELICADE_WEB_HOST", web_host.c_str(), 1);
        setenv("RELICADE_CATALOGUE_HOST", web_host.c_str(), 1);
        setenv("RELICADE_SOCIAL_HOST", web_host.c_str(), 1);
        if (game_port > 0) {
            setenv("RELICADE_EMULATOR_HOST", "127.0.0.1", 1);
            setenv("RELICADE_GAME_PORT", std::to_string(game_port).c_str(), 1);
            setenv("RELICADE_FALLBACK_ADDRESS", "127.0.0.1", 1);
        }
        setenv("BROWSER", "true", 1);  // web pages open nowhere
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_VIDEODRIVER");
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int wait_exit(pid_t pid, int timeout_ms) {
    int status = 0;
    if (!wait_until([&] { return waitpid(pid, &status, WNOHANG) == pid; },
                    std::chrono::milliseconds(timeout_ms), std::chrono::milliseconds(50)))
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool relicade_window_test::wait_until(const std::function<bool()>& condition, int timeout_ms) {
    return rx::test::wait_until(condition, std::chrono::milliseconds(timeout_ms),
                                std::chrono::milliseconds(50));
}

void relicade_window_test::SetUp() {
    if (skip_without_display && getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X display (Xvfb)";
    x = std::make_unique<x_watch>();
    ASSERT_TRUE(x->connected()) << "needs an X display";
    display = x->display();
    folder = make_temp_dir(folder_prefix);
    ASSERT_FALSE(folder.empty());
    const fs::path real(program_dir());
    fs::copy_file(real / "Relicade", folder / "Relicade");
    fs::permissions(folder / "Relicade", fs::perms::owner_all);
    fs::create_directory_symlink(real / "images", folder / "images");
    fs::create_symlink(real / "NEURPOLI.TTF", folder / "NEURPOLI.TTF");
    request_log = (folder / "requests.log").string();
    service = std::make_unique<service_process>(
        std::vector<std::string>{"--host", "localhost", "--request-log", request_log});
    ASSERT_TRUE(service->started());
}

void relicade_window_test::TearDown() {
    stop_relicade();
    service.reset();
    x.reset();
    display = nullptr;
    if (!folder.empty()) remove_tree(folder.string());
}

void relicade_window_test::start_relicade() {
    pid = spawn_relicade((folder / "Relicade").string(), service->web_host(), service->game_port());
    ASSERT_GT(pid, 0);
    // No window manager runs under Xvfb: the title is exactly the program's name.
    window = x->wait_for_window(title_is("Relicade"), std::chrono::milliseconds(15000));
    ASSERT_NE(window, 0u) << "no window";
    point_at(700, 100);
}

int relicade_window_test::wait_relicade_exit(int timeout_ms) {
    const int status = wait_exit(pid, timeout_ms);
    if (status >= 0) pid = -1;
    return status;
}

void relicade_window_test::stop_relicade() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

void relicade_window_test::close_window() {
    send_delete_window(display, window);
}

void relicade_window_test::input(const std::string& xdotool_arguments) {
    EXPECT_TRUE(xdotool(xdotool_arguments)) << "xdotool " << xdotool_arguments;
}

void relicade_window_test::point_at(int x_pos, int y_pos) {
    input("mousemove --window " + std::to_string(window) + " " + std::to_string(x_pos) + " " +
          std::to_string(y_pos));
}

void relicade_window_test::click_at(int x_pos, int y_pos) {
    point_at(x_pos, y_pos);
    input("click 1");
}

std::string relicade_window_test::requests() const {
    return read_file(request_log);
}

int relicade_window_test::count(const std::string& what) const {
    return static_cast<int>(count_of(requests(), what));
}

bool relicade_window_test::logged(const std::string& what, std::size_t times,
                                  int timeout_ms) const {
    return wait_until([&] { return count_of(requests(), what) >= times; }, timeout_ms);
}

}  // namespace rx::test
