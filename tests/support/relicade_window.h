// Test support: Relicade in a private program folder against rx_service, driven on the test's X
// display.
#pragma once
#include <gtest/gtest.h>
// Xlib after gtest: its macros (None, Bool) would break gtest's own declarations.
#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "service_process.h"
#include "x11_windows.h"

namespace rx::test {

// How many times `what` stands in `text` (overlapping places count).
std::size_t count_of(const std::string& text, const std::string& what);

// Runs xdotool with `arguments`, its output discarded and the run bounded to 10 s (a --sync wait
// for a pointer or window that never comes would otherwise hang the test); true when it succeeded.
// Every input is followed by 150 ms, the time Relicade takes to see it.
bool xdotool(const std::string& arguments);

// Starts the Relicade program at `program` with every host at `web_host` (the service), web pages
// opening nowhere, no sound and the real video driver; its process id, -1 when fork failed. With a
// `game_port` the emulators it starts find the service's game server on loopback too.
pid_t spawn_relicade(const std::string& program, const std::string& web_host, int game_port = 0);

// Sleeps for `ms` milliseconds: the screens need time between a person's steps.
void pause_ms(int ms);

// The process's exit status once `pid` has ended within the time (128 + signal for a signal),
// -1 otherwise.
int wait_exit(pid_t pid, int timeout_ms);

// Relicade in a program folder of the test's own (Relicade writes its settings, logins and log
// beside itself), talking to an rx_service of its own whose request log tells which screen shows.
// The window is found through one held X connection; xdotool only gives the input.
class relicade_window_test : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts Relicade with every host (the game server too) at the service, web pages opening
    // nowhere and no sound, and waits up to 15 s for its window. The pointer is then put inside the
    // window: a pointer outside pauses the browser.
    void start_relicade();
    // Exit status once Relicade has ended within the time, -1 otherwise.
    int wait_relicade_exit(int timeout_ms);
    void stop_relicade();
    // What the window manager's close button does: WM_DELETE_WINDOW to the window.
    void close_window();

    void input(const std::string& xdotool_arguments);
    void click_at(int x, int y);
    void point_at(int x, int y);

    // Polls `condition` every 50 ms (window and log checks) for up to `timeout_ms`.
    static bool wait_until(const std::function<bool()>& condition, int timeout_ms);

    // The service's request log so far, and how often `what` stands in it.
    std::string requests() const;
    int count(const std::string& what) const;
    // Waits until `what` stands at least `times` times in the request log.
    bool logged(const std::string& what, std::size_t times = 1, int timeout_ms = 10000) const;

    // Set by a fixture before SetUp runs: the temporary folder's name, and whether a missing
    // DISPLAY skips the test or fails it.
    std::string folder_prefix = "rx_e2e";
    bool skip_without_display = true;

    std::unique_ptr<x_watch> x;
    Display* display = nullptr;
    Window window = 0;
    std::filesystem::path folder;
    std::string request_log;
    std::unique_ptr<service_process> service;
    pid_t pid = -1;
};

}  // namespace rx::test
