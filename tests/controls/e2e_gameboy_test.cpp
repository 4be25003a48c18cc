// The Gameboy controls as a person sets them, under X: log in as guest, open Controls and the
// Gameboy screen, run Set All with real key presses, Save Settings, and read vba.ini back.
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

#include "service_process.h"
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

// A vba.ini as the emulator ships it, roughly: 110 lines, mostly CR LF, one bare LF line, a last
// line without a line feed, and the first pad's ten keys at their fixed lines with `values`
// (Left, Right, Up, Down, A, B, L, R, Start, Select).
std::string vba_ini(const std::vector<std::string>& values) {
    const std::pair<int, const char*> keys[] = {
        {81, "Joy0_Left="},  {82, "Joy0_Right="}, {83, "Joy0_Up="}, {87, "Joy0_Down="},
        {88, "Joy0_A="},     {89, "Joy0_B="},     {90, "Joy0_L="},  {91, "Joy0_R="},
        {92, "Joy0_Start="}, {93, "Joy0_Select="}};
    std::string text = "[preferences]\r\n";
    for (int i = 1; i < 110; ++i) {
        std::string line = "option" + std::to_string(i) + "=" + std::to_string(i * 3) + "\r\n";
        if (i == 40) line = "bareLineFeed=1\n";
        if (i == 109) line = "lastLine=no line feed";
        for (std::size_t k = 0; k < 10; ++k) {
            if (keys[k].first == i) line = std::string(keys[k].second) + values[k] + "\r\n";
        }
        text += line;
    }
    return text;
}

class gameboy_controls_e2e : public ::testing::Test {
  protected:
    void SetUp() override {
        if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (Xvfb)";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        char pattern[] = "/tmp/rx_controls_e2e_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        // A program folder of our own, so the vba.ini written here is nobody else's.
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
        xdotool("mousemove --window " + std::to_string(window) + " 700 100");
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

    bool logged(const std::string& what, int timeout_ms = 10000) {
        return wait_until([&] { return read_file(request_log).find(what) != std::string::npos; },
                          timeout_ms);
    }

    Display* display = nullptr;
    Window window = 0;
    fs::path folder;
    std::string request_log;
    std::unique_ptr<service_process> service;
    pid_t pid = -1;
};

TEST_F(gameboy_controls_e2e, set_all_with_keys_then_save_rewrites_exactly_the_ten_lines) {
    const std::string before =
        vba_ini({"30", "32", "17", "31", "46", "47", "19", "20", "57", "15"});
    ASSERT_TRUE(write_file((folder / "vba.ini").string(), before));
    start_relicade();
    ASSERT_TRUE(logged("GET /browser/current_version.php"));
    click_at(400, 570);  // Login as Guest
    ASSERT_TRUE(logged("checkuser.php?username=guest&password=guest"));
    // A free account sees a ten-second splash first; a press during it would open the upgrade
    // page, so the menu is awaited without touching anything.
    pause_ms(11000);
    click_at(80, 525);  // Controls
    pause_ms(300);
    click_at(100, 160);  // Gameboy
    pause_ms(300);
    click_at(230, 380);  // Set All
    pause_ms(200);
    // Up, Down, Left, Right, Select, Start, A, B, L, R in screen order.
    for (const char* key :
         {"Up", "Down", "Left", "Right", "BackSpace", "Return", "z", "x", "q", "w"}) {
        xdotool(std::string("key ") + key);
    }
    pause_ms(200);
    click_at(385, 380);  // Save Settings
    // The save runs on the event after the click; a small pointer move is one.
    xdotool("mousemove --window " + std::to_string(window) + " 390 385");
    const std::string expected =
        vba_ini({"203", "205", "200", "208", "44", "45", "16", "17", "28", "14"});
    ASSERT_TRUE(wait_until([&] { return read_file(folder / "vba.ini") != before; }, 10000))
        << "vba.ini was not written";
    EXPECT_EQ(read_file(folder / "vba.ini"), expected);
    EXPECT_EQ(read_file(folder / "error_log.txt"), "");
    // No temporary file is left beside it.
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find("vba.ini."), std::string::npos) << name;
    }
}

}  // namespace
