// Relicade as a person uses it, under X: type a name and password, log in, reach the main menu,
// close the window, then start again with the saved automatic login. rx_service's request log tells
// which screen is showing.
#include <gtest/gtest.h>
// Xlib after gtest: its macros (None, Bool) would break gtest's own declarations.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "browser/core/logic/user_info.h"
#include "service_process.h"
#include "wait.h"
#include "x11_windows.h"

namespace fs = std::filesystem;
using rx::test::read_file;
using rx::test::service_process;

namespace {

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Window and log checks are polled every 50 ms.
bool wait_until(const std::function<bool()>& condition, int timeout_ms) {
    return rx::test::wait_until(condition, std::chrono::milliseconds(timeout_ms),
                                std::chrono::milliseconds(50));
}

void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The window titled "Relicade" (no window manager runs under Xvfb).
Window find_window(Display* display) {
    return rx::test::find_window(display, DefaultRootWindow(display),
                                 [](const std::string& title) { return title == "Relicade"; });
}

class relicade_e2e : public ::testing::Test {
  protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "needs an X display";
        char pattern[] = "/tmp/rx_e2e_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        // A program folder of our own: Relicade writes userinfo.dat and its log beside itself.
        const fs::path real(RX_PROGRAM_DIR);
        fs::copy_file(real / "Relicade", folder / "Relicade");
        fs::permissions(folder / "Relicade", fs::perms::owner_all);
        fs::create_directory_symlink(real / "images", folder / "images");
        fs::create_symlink(real / "NEURPOLI.TTF", folder / "NEURPOLI.TTF");
        request_log = (folder / "requests.log").string();
        service = std::make_unique<service_process>(
            std::vector<std::string>{"--host", "localhost", "--request-log", request_log});
        ASSERT_TRUE(service->started());
    }

    void TearDown() override {
        stop_relicade();
        service.reset();
        if (display) XCloseDisplay(display);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void start_relicade() {
        const std::string program = (folder / "Relicade").string();
        const std::string host = service->web_host();
        pid = fork();
        if (pid == 0) {
            setenv("RELICADE_WEB_HOST", host.c_str(), 1);
            setenv("RELICADE_CATALOGUE_HOST", host.c_str(), 1);
            unsetenv("SDL_VIDEODRIVER");
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(wait_until([&] { return (window = find_window(display)) != 0; }, 15000))
            << "no window";
        // Inside the window the pointer keeps it active (a pointer outside pauses the browser).
        xdotool("mousemove --window " + std::to_string(window) + " 700 100");
    }

    // Exit status once Relicade has ended within the time, -1 otherwise.
    int wait_exit(int timeout_ms) {
        int status = 0;
        const bool ended =
            wait_until([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeout_ms);
        if (!ended) return -1;
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    void stop_relicade() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }

    // What the window manager's close button does: WM_DELETE_WINDOW to the window.
    void close_window() {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }

    void xdotool(const std::string& arguments) {
        const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        pause_ms(150);
    }

    void click_at(int x, int y) {
        xdotool("mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
                std::to_string(y));
        xdotool("click 1");
    }

    bool logged_requests(const std::string& what, std::size_t count, int timeout_ms = 10000) {
        return wait_until([&] { return count_of(read_file(request_log), what) >= count; },
                          timeout_ms);
    }

    Display* display = nullptr;
    Window window = 0;
    fs::path folder;
    std::string request_log;
    std::unique_ptr<service_process> service;
    pid_t pid = -1;
};

const std::string login_line =
    "GET /browser/checkuser.php?username=player&password=secret HTTP/1.1";
const std::string news_line = "GET /browser/news.php HTTP/1.1";

TEST_F(relicade_e2e, typed_login_with_save_and_auto_login_then_a_second_start_logs_in_alone) {
    start_relicade();
    ASSERT_TRUE(logged_requests("GET /browser/current_version.php", 1));
    click_at(400, 402);  // user-name box
    xdotool("type --delay 30 player");
    xdotool("key Tab");
    xdotool("type --delay 30 secret");
    click_at(210, 461);  // save box
    click_at(210, 481);  // auto-login box
    click_at(245, 520);  // Login
    ASSERT_TRUE(logged_requests(login_line, 1));
    // Only the main menu has a news button at this place: its press fetches the news.
    pause_ms(300);
    click_at(400, 520);
    ASSERT_TRUE(logged_requests(news_line, 1)) << "the main menu did not show";
    close_window();
    ASSERT_EQ(wait_exit(10000), 0);
    EXPECT_TRUE(logged_requests("GET /browser/logout.php?username=player HTTP/1.1", 1, 1000));

    const rx::user_info saved = rx::decode_user_info(read_file(folder / "userinfo.dat"));
    EXPECT_EQ(saved.user_name, L"player");
    EXPECT_EQ(saved.password, L"secret");
    EXPECT_EQ(saved.account_kind, 2);
    EXPECT_EQ(saved.save_login, 1);
    EXPECT_EQ(saved.auto_login, 1);

    // Second start: no typing, no click until the menu has logged in by itself.
    start_relicade();
    ASSERT_TRUE(logged_requests(login_line, 2, 15000)) << "auto login did not run";
    pause_ms(300);
    click_at(400, 520);
    ASSERT_TRUE(logged_requests(news_line, 2)) << "the main menu did not show after auto login";
    close_window();
    ASSERT_EQ(wait_exit(10000), 0);
    EXPECT_TRUE(fs::exists(folder / "userinfo.dat"));
    const std::string log = read_file(folder / "error_log.txt");
    EXPECT_EQ(log.find("secret"), std::string::npos) << log;
}

TEST_F(relicade_e2e, unticking_the_save_box_removes_the_saved_login_at_exit) {
    rx::user_info saved;
    saved.user_name = L"player";
    saved.password = L"secret";
    saved.account_kind = 2;
    saved.save_login = 1;
    {
        std::ofstream out(folder / "userinfo.dat", std::ios::binary);
        out << rx::encode_user_info(saved);
    }
    start_relicade();
    ASSERT_TRUE(logged_requests("GET /browser/current_version.php", 1));
    click_at(210, 461);  // save box: ticked from the file, now unticked
    click_at(245, 520);  // Login with the saved name and password
    ASSERT_TRUE(logged_requests(login_line, 1));
    pause_ms(300);
    click_at(400, 520);
    ASSERT_TRUE(logged_requests(news_line, 1)) << "the main menu did not show";
    close_window();
    ASSERT_EQ(wait_exit(10000), 0);
    EXPECT_FALSE(fs::exists(folder / "userinfo.dat"));
}

}  // namespace
