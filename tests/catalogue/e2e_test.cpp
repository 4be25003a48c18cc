// Relicade against rx_service in a real X window: log in, browse, open a game, play it with the
// stand-in emulator, end it normally and with the Pause key, and come back to the same screen.
// clang-format off
#include <gtest/gtest.h>  // before Xlib, whose None macro clashes with gtest names
#include <SDL.h>
#include <SDL_image.h>
#include <X11/Xlib.h>
// clang-format on
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "browser/screens/logic/game_list.h"
#include "files.h"
#include "loopback.h"
#include "service_process.h"
#include "wait.h"
#include "x11_windows.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Window and log checks start other programs, so they are polled every 50 ms.
bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return rx::test::wait_until(done, timeout, 50ms);
}

using rx::test::read_file;

// One GET on loopback, the whole reply.
std::string http_get(int port, const std::string& target) {
    return rx::test::exchange(
        port, "GET " + target + " HTTP/1.0\nHost: 127.0.0.1\n\n" + std::string(1, '\0'));
}

// The first window whose title starts with `prefix`.
Window find_window(Display* display, Window root, const std::string& prefix) {
    return rx::test::find_window(
        display, root, [&](const std::string& title) { return title.rfind(prefix, 0) == 0; });
}

// Every outside command is bounded: xdotool's --sync waits can otherwise wait forever for a pointer
// or window that never arrives, and a test that hangs leaves its programs behind for the next one.
int run(const std::string& command) {
    const std::string bounded = "timeout -s KILL 20 sh -c '" + command + "'";
    return std::system(bounded.c_str());
}

class CatalogueEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display";
        if (run("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "needs xdotool";
        const fs::path real(RX_PROGRAM_DIR);
        for (const char* needed :
             {"Relicade", "rx_service", "rx_host", "librxlib.so", "NEURPOLI.TTF"}) {
            ASSERT_TRUE(fs::exists(real / needed)) << needed;
        }
        std::string pattern = (fs::temp_directory_path() / "rx_catalogue_e2e_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        program_ = dir_ / "program";
        data_ = dir_ / "data";
        fs::create_directories(program_);
        fs::create_directories(data_);
        // A private program folder: Relicade finds everything, the emulators too, beside its own
        // file.
        fs::copy_file(real / "Relicade", program_ / "Relicade");
        fs::create_directory_symlink(real / "images", program_ / "images");
        for (const char* name : {"NEURPOLI.TTF", "librxlib.so", "rx_host"}) {
            fs::create_symlink(real / name, program_ / name);
        }
        for (const char* name :
             {"z26", "mekaw", "visualboyadvance", "gens", "nester", "zsnesw", "ootake", "1964"}) {
            fs::create_symlink(real / "rx_host", program_ / name);
        }
        display_ = XOpenDisplay(nullptr);
        ASSERT_NE(display_, nullptr);
        start_service();
    }

    void TearDown() override {
        run("xdotool keyup Pause 2>/dev/null");
        if (relicade_ > 0) {
            kill(relicade_, SIGKILL);
            waitpid(relicade_, nullptr, 0);
        }
        service_.reset();
        // A stand-in emulator left over by a failed run is asked to close, as a window manager
        // would.
        if (display_ != nullptr) {
            if (Window left = emulator_window()) close_window(left);
            XCloseDisplay(display_);
        }
        if (!dir_.empty() && !HasFailure()) fs::remove_all(dir_);
    }

    void start_service() {
        service_ =
            std::make_unique<rx::test::service_process>(std::vector<std::string>{}, data_.string());
        ASSERT_TRUE(service_->started()) << service_->first_line();
        http_port_ = service_->http_port();
        game_port_ = service_->game_port();
    }

    void start_relicade() {
        const std::string web = "127.0.0.1:" + std::to_string(http_port_);
        setenv("RELICADE_WEB_HOST", web.c_str(), 1);
        setenv("RELICADE_CATALOGUE_HOST", web.c_str(), 1);
        setenv("RELICADE_SOCIAL_HOST", web.c_str(), 1);
        setenv("RELICADE_EMULATOR_HOST", "127.0.0.1", 1);
        setenv("RELICADE_GAME_PORT", std::to_string(game_port_).c_str(), 1);
        setenv("RELICADE_FALLBACK_ADDRESS", "127.0.0.1", 1);
        setenv("BROWSER", "true", 1);  // web pages open nowhere
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        const std::string program = (program_ / "Relicade").string();
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        ASSERT_EQ(posix_spawn(&relicade_, program.c_str(), nullptr, nullptr, argv, environ), 0);
        ASSERT_TRUE(wait_until(
            [&] {
                return (window_ = find_window(display_, DefaultRootWindow(display_), "Relicade")) !=
                       0;
            },
            10s));
        ASSERT_TRUE(wait_until([&] { return viewable(window_); }, 5s));
    }

    bool viewable(Window window) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, window, &attributes) == 0) return false;
        return attributes.map_state == IsViewable;
    }

    // The pointer relative to Relicade's window.
    std::pair<int, int> pointer() {
        Window root = 0;
        Window child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(display_, window_, &root, &child, &rx, &ry, &wx, &wy, &mask);
        return {wx, wy};
    }

    // A click that fails stops the test at once (the caller asserts), instead of letting every
    // later step wait out its own bound.
    ::testing::AssertionResult click(int x, int y) {
        const std::string command = "xdotool mousemove --sync --window " + std::to_string(window_) +
                                    " " + std::to_string(x) + " " + std::to_string(y) + " click 1";
        if (run(command) == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "failed or timed out: " << command;
    }

    std::string requests() {
        std::string log = read_file(data_ / "requests.log");
        for (char& c : log) {
            if (c == '\0') c = '\n';
        }
        return log;
    }
    bool requested(const std::string& text) { return requests().find(text) != std::string::npos; }
    int count(const std::string& text) {
        const std::string log = requests();
        int n = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    }

    // The window's picture between y0 and y1.
    std::vector<Uint32> capture(int y0, int y1) {
        const std::string shot = (dir_ / "shot.bmp").string();
        EXPECT_EQ(run("import -window " + std::to_string(window_) + " " + shot + " 2>/dev/null"),
                  0);
        std::vector<Uint32> pixels;
        SDL_Surface* image = IMG_Load(shot.c_str());
        if (!image) return pixels;
        SDL_LockSurface(image);
        for (int y = y0; y < y1 && y < image->h; ++y) {
            for (int x = 0; x < image->w; ++x) {
                const Uint8* p = static_cast<const Uint8*>(image->pixels) + y * image->pitch +
                                 x * image->format->BytesPerPixel;
                Uint32 value = 0;
                std::memcpy(&value, p, image->format->BytesPerPixel);
                pixels.push_back(value);
            }
        }
        SDL_UnlockSurface(image);
        SDL_FreeSurface(image);
        return pixels;
    }

    void close_window(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window, False, NoEventMask, &event);
        XFlush(display_);
        wait_until([&] { return emulator_window() == 0; }, 3s);
    }

    Window emulator_window() {
        return find_window(display_, DefaultRootWindow(display_), "rx_host");
    }

    fs::path dir_;
    fs::path program_;
    fs::path data_;
    Display* display_ = nullptr;
    Window window_ = 0;
    std::unique_ptr<rx::test::service_process> service_;
    pid_t relicade_ = 0;
    int http_port_ = 0;
    int game_port_ = 0;
};

TEST_F(CatalogueEndToEnd, BrowseOpenAGamePlayItAndComeBack) {
    start_relicade();

    // Log in with the keyboard: the user-name box has the focus.
    // The pointer over the window gives it the keyboard (no window manager); a click would take the
    // focus from the box.
    ASSERT_EQ(run("xdotool mousemove --sync --window " + std::to_string(window_) + " 400 300"), 0);
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(
        run("xdotool type --delay 40 demo && xdotool key Tab && xdotool type --delay 40 demo && "
            "xdotool key Return"),
        0);
    ASSERT_TRUE(
        wait_until([&] { return requested("checkuser.php?username=demo&password=demo"); }, 10s));
    std::this_thread::sleep_for(700ms);

    // The Genesis console, then the S-T filter.
    ASSERT_TRUE(click(400, 225));
    ASSERT_TRUE(
        wait_until([&] { return requested("system=GEN&criteria=^[a-b]&end=1 HTTP/1.0"); }, 10s));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(click(52, 84 + 34 * 9 + 20));
    const std::string list_target =
        "/browser/gamelist.php?status=Full&search=1&system=GEN&criteria=^[s-t]&end=1";
    ASSERT_TRUE(wait_until([&] { return requested(list_target); }, 10s));
    std::this_thread::sleep_for(500ms);

    // The same list as the service gives it: open the first playable game that has screenshots.
    std::vector<rx::catalogue::game_row> rows;
    ASSERT_TRUE(rx::catalogue::parse_list(http_get(http_port_, list_target), rows));
    int chosen = -1;
    for (std::size_t i = 0; i < rows.size() && i < 20 && chosen < 0; ++i) {
        const std::string info =
            http_get(http_port_, "/browser/browser_gameinfo.php?game=" + rows[i].game_id);
        if (rows[i].availability > 0 && info.find("||||") == std::string::npos)
            chosen = static_cast<int>(i);
    }
    ASSERT_GE(chosen, 0) << "no playable game with screenshots in the list";
    const rx::catalogue::game_row game = rows[static_cast<std::size_t>(chosen)];
    const int before_info = count("browser_gameinfo.php?game=" + game.game_id);
    ASSERT_TRUE(click(400, 55 + 25 * chosen + 12));
    ASSERT_TRUE(wait_until(
        [&] { return count("browser_gameinfo.php?game=" + game.game_id) > before_info; }, 10s));
    ASSERT_TRUE(wait_until([&] { return count("GET /info_img/") >= 2; }, 10s));
    std::this_thread::sleep_for(700ms);
    const auto info_screen = capture(50, 540);
    ASSERT_FALSE(info_screen.empty());

    // Play: the stand-in emulator fetches the game and runs until Escape.
    ASSERT_TRUE(click(400, 570));
    Window emulator = 0;
    ASSERT_TRUE(wait_until([&] { return (emulator = emulator_window()) != 0; }, 15s));
    EXPECT_TRUE(wait_until([&] { return requested("current_status=is_playing_"); }, 5s));
    EXPECT_TRUE(requested("for_the_Sega_Genesis_at_"));
    const std::string game_log = (data_ / "game_requests.log").string();
    EXPECT_TRUE(wait_until(
        [&] { return read_file(game_log).find(game.game_id) != std::string::npos; }, 10s));
    std::this_thread::sleep_for(1500ms);
    ASSERT_EQ(run("xdotool key --window " + std::to_string(emulator) + " Escape"), 0);
    EXPECT_TRUE(wait_until([&] { return emulator_window() == 0; }, 10s));
    EXPECT_TRUE(
        wait_until([&] { return requested("/connection/free_game.php?username=demo"); }, 10s));

    // Back on the same screen, the window shown, the pointer at its centre.
    ASSERT_TRUE(
        wait_until([&] { return viewable(window_) && pointer() == std::make_pair(400, 300); }, 5s))
        << pointer().first << "," << pointer().second;
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(capture(50, 540), info_screen);

    // Once more, ended by holding the Pause key.
    ASSERT_TRUE(click(400, 570));
    ASSERT_TRUE(wait_until([&] { return (emulator = emulator_window()) != 0; }, 15s));
    std::this_thread::sleep_for(1500ms);
    ASSERT_EQ(run("xdotool keydown Pause"), 0);
    const auto pressed = std::chrono::steady_clock::now();
    EXPECT_TRUE(wait_until([&] { return emulator_window() == 0; }, 5s));
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, 2s);
    ASSERT_EQ(run("xdotool keyup Pause"), 0);
    ASSERT_TRUE(
        wait_until([&] { return viewable(window_) && pointer() == std::make_pair(400, 300); }, 5s));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(capture(50, 540), info_screen);

    // Still working: Back returns to the list.
    ASSERT_TRUE(click(565, 25));
    std::this_thread::sleep_for(500ms);
    const int lists = count("gamelist.php");
    ASSERT_TRUE(click(52, 84 + 34 * 1 + 20));
    EXPECT_TRUE(wait_until([&] { return count("gamelist.php") > lists; }, 10s));
    int status = 0;
    EXPECT_EQ(waitpid(relicade_, &status, WNOHANG), 0) << "Relicade ended";
}

}  // namespace
