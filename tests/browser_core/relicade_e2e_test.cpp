// Relicade in a real X window: starts, stays up, draws, ends cleanly when the window is closed.
// clang-format off
#include <gtest/gtest.h>  // before Xlib, whose None macro clashes with gtest names
#include <SDL.h>
#include <SDL_image.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
// clang-format on
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
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "browser/base/logic/user_info.h"
#include "files.h"
#include "x11_windows.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A loopback port that nothing listens on: bound, read back and closed again.
int closed_port() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    close(s);
    return ntohs(addr.sin_port);
}

bool exited(pid_t pid, int& status) {
    return waitpid(pid, &status, WNOHANG) == pid;
}

class RelicadeWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display";
        const fs::path real(RX_PROGRAM_DIR);
        ASSERT_TRUE(fs::exists(real / "Relicade"));
        ASSERT_TRUE(fs::exists(real / "images" / "background.png")) << "artwork missing";
        std::string pattern = (fs::temp_directory_path() / "rx_e2e_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        // A private copy of the program folder: the program finds everything beside its own file.
        fs::copy_file(real / "Relicade", fs::path(dir_) / "Relicade");
        fs::create_directory_symlink(real / "images", fs::path(dir_) / "images");
        fs::create_symlink(real / "NEURPOLI.TTF", fs::path(dir_) / "NEURPOLI.TTF");
        display_ = XOpenDisplay(nullptr);
        ASSERT_NE(display_, nullptr);
    }
    void TearDown() override {
        if (pid_ > 0) {
            int status = 0;
            if (!exited(pid_, status)) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
        }
        if (display_ != nullptr) XCloseDisplay(display_);
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    void start() {
        const std::string port = std::to_string(closed_port());
        setenv("RELICADE_WEB_HOST", ("127.0.0.1:" + port).c_str(), 1);
        setenv("RELICADE_CATALOGUE_HOST", ("127.0.0.1:" + port).c_str(), 1);
        setenv("RELICADE_SOCIAL_HOST", ("127.0.0.1:" + port).c_str(), 1);
        setenv("RELICADE_FALLBACK_ADDRESS", "127.0.0.1", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        const std::string program = (fs::path(dir_) / "Relicade").string();
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        // Started from an empty folder: nothing may be found or written through the working
        // directory.
        cwd_ = fs::path(dir_) / "cwd";
        fs::create_directory(cwd_);
        const fs::path here = fs::current_path();
        fs::current_path(cwd_);
        ASSERT_EQ(posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ), 0);
        fs::current_path(here);
    }
    // Sends what a window manager sends on the close button and waits for a clean exit.
    void close_and_wait(Window window) {
        rx::test::send_delete_window(display_, window);
        int status = 0;
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            ended = exited(pid_, status);
            if (!ended) std::this_thread::sleep_for(50ms);
        }
        ASSERT_TRUE(ended) << "Relicade did not end after WM_DELETE_WINDOW";
        pid_ = 0;
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_TRUE(fs::is_empty(cwd_)) << "something was written to the working directory";
    }
    std::string read(const char* name) const { return rx::test::read_file(fs::path(dir_) / name); }
    Window wait_for_window() {
        for (int i = 0; i < 200; ++i) {
            if (Window w =
                    rx::test::find_window(display_, DefaultRootWindow(display_),
                                          [](const std::string& t) { return t == "Relicade"; }))
                return w;
            int status = 0;
            if (exited(pid_, status)) {
                pid_ = 0;
                ADD_FAILURE() << "Relicade ended before its window appeared, status " << status;
                return 0;
            }
            std::this_thread::sleep_for(50ms);
        }
        return 0;
    }

    std::string dir_;
    fs::path cwd_;
    Display* display_ = nullptr;
    pid_t pid_ = 0;
};

TEST_F(RelicadeWindow, StartsDrawsAndEndsWhenClosed) {
    start();
    const Window window = wait_for_window();
    ASSERT_NE(window, 0u) << "no window titled Relicade";

    // Stays up.
    std::this_thread::sleep_for(1500ms);
    int status = 0;
    ASSERT_FALSE(exited(pid_, status)) << "Relicade ended on its own";

    // The screen is not blank.
    const std::string shot = (fs::path(dir_) / "shot.png").string();
    const std::string command = "import -window root " + shot + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    SDL_Surface* image = IMG_Load(shot.c_str());
    ASSERT_NE(image, nullptr);
    std::set<Uint32> colours;
    SDL_LockSurface(image);
    for (int y = 0; y < image->h; y += 3) {
        for (int x = 0; x < image->w; x += 3) {
            const Uint8* p = static_cast<const Uint8*>(image->pixels) + y * image->pitch +
                             x * image->format->BytesPerPixel;
            Uint32 value = 0;
            std::memcpy(&value, p, image->format->BytesPerPixel);
            colours.insert(value);
        }
    }
    SDL_UnlockSurface(image);
    SDL_FreeSurface(image);
    EXPECT_GT(colours.size(), 8u) << "the screenshot is (nearly) one colour";

    // Closing the window ends the program cleanly; with the save box clear no login is kept.
    close_and_wait(window);
    EXPECT_FALSE(fs::exists(fs::path(dir_) / "userinfo.dat"));
    // The failed version check was logged beside the program.
    EXPECT_NE(read("error_log.txt").find("check_version"), std::string::npos);
}

TEST_F(RelicadeWindow, ClosingKeepsASavedLogin) {
    rx::user_info saved;
    saved.user_name = L"player";
    saved.password = L"secret";
    saved.account_kind = 2;
    saved.last_system = 7;
    saved.save_login = 1;
    saved.name_filter = "^[g-h]";
    ASSERT_TRUE(rx::write_user_info_file((fs::path(dir_) / "userinfo.dat").string(), saved));
    start();
    const Window window = wait_for_window();
    ASSERT_NE(window, 0u);
    std::this_thread::sleep_for(500ms);
    close_and_wait(window);
    // Rewritten at exit from the same record: save box ticked, auto login clear, windowed.
    EXPECT_EQ(read("userinfo.dat"), rx::encode_user_info(saved));
}

}  // namespace
