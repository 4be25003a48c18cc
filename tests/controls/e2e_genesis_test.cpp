// The Genesis controls as a person reaches them, under X: log in, open the Genesis game list, its
// Controls button, capture two keys, Save Settings, read gens.cfg back, and Back to the list.
#include <gtest/gtest.h>
// Xlib after gtest: its macros (None, Bool) would break gtest's own declarations.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "browser/controls/logic/settings_lines.h"
#include "service_process.h"
#include "tests/controls/codec_fixtures.h"
#include "wait.h"
#include "x11_windows.h"

namespace fs = std::filesystem;
using rx::test::read_file;
using rx::test::service_process;
using rx::test::write_file;

namespace {

bool wait_until(const std::function<bool()>& condition, int timeout_ms) {
    return rx::test::wait_until(condition, std::chrono::milliseconds(timeout_ms),
                                std::chrono::milliseconds(50));
}

void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class genesis_controls_e2e : public ::testing::Test {
  protected:
    void SetUp() override {
        if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (Xvfb)";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        char pattern[] = "/tmp/rx_genesis_e2e_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        // A program folder of our own, so the gens.cfg written here is nobody else's.
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
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        service.reset();
        if (display) XCloseDisplay(display);
        std::error_code ignored;
        if (!folder.empty()) fs::remove_all(folder, ignored);
    }

    void start_relicade() {
        const std::string program = (folder / "Relicade").string();
        const std::string host = service->web_host();
        pid = fork();
        if (pid == 0) {
            setenv("RELICADE_WEB_HOST", host.c_str(), 1);
            setenv("RELICADE_CATALOGUE_HOST", host.c_str(), 1);
            setenv("RELICADE_SOCIAL_HOST", host.c_str(), 1);
            setenv("BROWSER", "true", 1);  // web pages open nowhere
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            unsetenv("SDL_VIDEODRIVER");
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(wait_until(
            [&] {
                window =
                    rx::test::find_window(display, DefaultRootWindow(display),
                                          [](const std::string& t) { return t == "Relicade"; });
                return window != 0;
            },
            15000))
            << "no window";
    }

    void xdotool(const std::string& arguments) {
        const std::string command = "timeout 10 xdotool " + arguments + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        pause_ms(150);
    }

    void click_at(int x, int y) {
        xdotool("mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
                std::to_string(y));
        xdotool("click 1");
    }

    int count(const std::string& what) {
        const std::string log = read_file(request_log);
        int n = 0;
        for (auto at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
        return n;
    }
    bool logged(const std::string& what, int timeout_ms = 10000) {
        return wait_until([&] { return count(what) > 0; }, timeout_ms);
    }

    Display* display = nullptr;
    Window window = 0;
    fs::path folder;
    std::string request_log;
    std::unique_ptr<service_process> service;
    pid_t pid = -1;
};

TEST_F(genesis_controls_e2e, controls_from_the_game_list_save_exactly_the_captured_lines) {
    // Bigger than the 4,096 bytes the emulator's own reader looks at, and no final line feed.
    const std::string before = rx::test::padded(rx::test::gens_lines(), 6000);
    ASSERT_TRUE(write_file((folder / "gens.cfg").string(), before));
    start_relicade();
    ASSERT_TRUE(logged("GET /browser/current_version.php"));
    // The user-name box has the focus; the pointer over the window gives the window the keyboard.
    xdotool("mousemove --window " + std::to_string(window) + " 400 300");
    xdotool("type --delay 40 demo");
    xdotool("key Tab");
    xdotool("type --delay 40 demo");
    xdotool("key Return");
    ASSERT_TRUE(logged("checkuser.php?username=demo&password=demo"));
    pause_ms(700);
    click_at(400, 225);  // Genesis
    ASSERT_TRUE(logged("system=GEN&criteria=^[a-b]&end=1 HTTP/1.0"));
    pause_ms(500);
    click_at(565, 25);  // the list's Controls button
    pause_ms(400);
    click_at(300, 160);  // Left
    xdotool("key k");
    click_at(300, 340);  // X
    xdotool("key m");
    click_at(385, 440);  // Save Settings
    // The save runs on the event after the click; a small pointer move is one.
    xdotool("mousemove --window " + std::to_string(window) + " 390 445");
    ASSERT_TRUE(wait_until([&] { return read_file(folder / "gens.cfg") != before; }, 10000))
        << "gens.cfg was not written";
    auto expected = rx::split_lines(before);
    expected[34] = "P1.Left=37\r\n";
    expected[41] = "P1.X=50\r\n";
    EXPECT_EQ(read_file(folder / "gens.cfg"), rx::join_lines(expected));
    EXPECT_EQ(read_file(folder / "error_log.txt"), "");
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find("gens.cfg."), std::string::npos) << name;
    }

    // Back leads to the game list: its S-T filter fetches a new list, where the Genesis screen has
    // only a row label.
    click_at(565, 25);
    pause_ms(400);
    const int lists = count("gamelist.php");
    click_at(52, 84 + 34 * 9 + 20);
    EXPECT_TRUE(wait_until([&] { return count("gamelist.php") > lists; }, 10000));
    EXPECT_TRUE(logged("system=GEN&criteria=^[s-t]&end=1"));
}

}  // namespace
