// Outside processes: real children started, seen running and ended; URLs through $BROWSER; the
// watch loop.
#include "browser/app/processes.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "browser/app/app.h"
#include "session_env.h"
#include "wait.h"

using namespace rx_test;

namespace {

class processes : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = make_program_folder();
        rx::set_directory_override(folder);
        start_sdl();
    }
    static void TearDownTestSuite() {
        rx::platform::set_processes(nullptr);
        rx::set_directory_override(std::nullopt);
        SDL_Quit();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    void TearDown() override { rx::platform::set_processes(nullptr); }

    static bool wait_until(const std::function<bool()>& condition, int timeout_ms) {
        return rx::test::wait_until(condition, std::chrono::milliseconds(timeout_ms),
                                    std::chrono::milliseconds(10));
    }

    static std::string folder;
};
std::string processes::folder;

TEST_F(processes, a_started_child_runs_then_ends_and_close_game_ends_it) {
    rx::process_handle quick = rx::start_emulator("/bin/sleep", L"0.2");
    ASSERT_NE(quick, 0);
    EXPECT_TRUE(rx::is_running(quick));
    EXPECT_TRUE(wait_until([&] { return !rx::is_running(quick); }, 3000));
    rx::close_game(quick);

    rx::process_handle slow = rx::start_emulator("/bin/sleep", L"30");
    ASSERT_NE(slow, 0);
    EXPECT_TRUE(rx::is_running(slow));
    auto start = std::chrono::steady_clock::now();
    rx::close_game(slow);
    // The handle is released by close_game; the process itself must be gone (killed and reaped).
    EXPECT_TRUE(wait_until([&] { return kill(static_cast<pid_t>(slow), 0) != 0; }, 2000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(rx::is_running(0));
    EXPECT_EQ(rx::start_emulator(folder + "/no_such_emulator", L"x"), 0);
}

TEST_F(processes, web_pages_go_to_the_users_browser) {
    const std::string record = folder + "/opened.txt";
    const std::string script = folder + "/browser.sh";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\nprintf '%s' \"$1\" > '" << record << ".tmp' && mv '" << record
            << ".tmp' '" << record << "'\n";
    }
    chmod(script.c_str(), 0755);
    setenv("BROWSER", script.c_str(), 1);
    setenv("RELICADE_WEB_HOST", "www.example.test:8080", 1);
    rx::open_account_page(L"free", L"p&w");
    ASSERT_TRUE(wait_until([&] { return fs::exists(record); }, 3000));
    EXPECT_EQ(read_file(record),
              "http://www.example.test:8080/myaccount.html?username=free&password=p&w");
    unsetenv("BROWSER");
}

TEST_F(processes, starts_through_the_runner_and_their_limits) {
    fake_runner runner;
    rx::platform::set_processes(&runner);
    setenv("RELICADE_SOCIAL_HOST", "apps.social.test", 1);
    rx::open_facebook_authorisation(L"joe");
    rx::open_facebook_status(L"joe");
    ASSERT_EQ(runner.urls.size(), 2u);
    EXPECT_EQ(runner.urls[0], "http://apps.social.test/rx_status_update/?username=joe&authorize=1");
    EXPECT_EQ(runner.urls[1], "http://apps.social.test/rx_status_update/?username=joe");

    rx::launch_update("v4.30");
    ASSERT_EQ(runner.detached.size(), 1u);
    EXPECT_EQ(runner.detached[0], folder + "/rx_update| 0 v4.30");

    // An argument the emulator could not take whole is refused, not cut.
    EXPECT_EQ(rx::start_emulator(folder + "/gens", std::wstring(512, L'a')), 0);
    EXPECT_TRUE(runner.started.empty());
    EXPECT_NE(read_file(fs::path(folder) / "error_log.txt")
                  .find("Failure launch argument too long - start_emulator"),
              std::string::npos);
    EXPECT_NE(rx::start_emulator(folder + "/gens", std::wstring(511, L'a')), 0);
    EXPECT_EQ(runner.started.size(), 1u);

    rx::close_game(0);
    EXPECT_TRUE(runner.terminated.empty()) << "a null handle names no process";
}

TEST_F(processes, watching_a_game_returns_when_it_ends_and_keeps_a_close_request) {
    fake_runner runner;
    rx::platform::set_processes(&runner);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    std::thread ender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        std::lock_guard<std::mutex> lock(runner.mutex);
        runner.running = false;
    });
    auto start = std::chrono::steady_clock::now();
    rx::watch_game(folder + "/gens", L"rxgen://u:p@host/1");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ender.join();
    EXPECT_GE(seconds, 1.5);
    EXPECT_LT(seconds, 2.0) << "the end is seen within a few 50 ms polls";
    ASSERT_EQ(runner.started.size(), 1u);
    EXPECT_EQ(runner.started[0], folder + "/gens|rxgen://u:p@host/1");
    EXPECT_EQ(runner.closed, std::vector<int>{4242});
    int x = 0;
    int y = 0;
    SDL_PumpEvents();
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    bool quit_kept = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) quit_kept = quit_kept || event.type == SDL_QUIT;
    EXPECT_TRUE(quit_kept);
}

}  // namespace
