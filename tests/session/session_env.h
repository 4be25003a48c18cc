// Shared set-up of the session tests: a private program folder, SDL on the dummy driver, a
// recording process runner.
#pragma once
#include <SDL.h>
#include <SDL_net.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "browser/app/app.h"
#include "files.h"
#include "platform/process.h"
#include "service_process.h"

namespace rx_test {

namespace fs = std::filesystem;

// Records every start instead of running anything; detached starts are also told on standard error
// so a child that ends the process can still be checked from outside.
class fake_runner : public rx::platform::process_runner {
  public:
    rx::platform::process_handle start(const std::string& program,
                                       const std::string& parameters) override {
        std::lock_guard<std::mutex> lock(mutex);
        started.push_back(program + "|" + parameters);
        running = true;
        return 4242;
    }
    bool is_running(rx::platform::process_handle process) override {
        std::lock_guard<std::mutex> lock(mutex);
        return process == 4242 && running;
    }
    bool terminate(rx::platform::process_handle process, int exit_code, int& error) override {
        std::lock_guard<std::mutex> lock(mutex);
        terminated.push_back(static_cast<int>(process) * 10 + exit_code);
        running = false;
        error = 0;
        return true;
    }
    void close(rx::platform::process_handle process) override {
        std::lock_guard<std::mutex> lock(mutex);
        closed.push_back(static_cast<int>(process));
    }
    bool start_detached(const std::string& program, const std::string& parameters) override {
        std::lock_guard<std::mutex> lock(mutex);
        detached.push_back(program + "|" + parameters);
        std::fprintf(stderr, "detached start: %s|%s\n", program.c_str(), parameters.c_str());
        return true;
    }
    bool open_url(const std::string& url) override {
        std::lock_guard<std::mutex> lock(mutex);
        urls.push_back(url);
        return true;
    }

    std::mutex mutex;
    bool running = false;
    std::vector<std::string> started;
    std::vector<std::string> detached;
    std::vector<std::string> urls;
    std::vector<int> terminated;
    std::vector<int> closed;
};

// A throw-away program folder holding the artwork and font of the real one, so logs and saved files
// stay apart.
inline std::string make_program_folder() {
    char pattern[] = "/tmp/rx_session_XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return {};
    const fs::path folder(made);
    const fs::path real(RX_PROGRAM_DIR);
    std::error_code ignored;
    fs::create_directory_symlink(real / "images", folder / "images", ignored);
    fs::create_symlink(real / "NEURPOLI.TTF", folder / "NEURPOLI.TTF", ignored);
    return folder.string();
}

using rx::test::read_file;
using rx::test::service_process;

// SDL with the dummy video driver, a window surface, fonts and the network, and the message line.
inline void start_sdl() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_JOYSTICK), 0);
    ASSERT_NE(SDL_SetVideoMode(800, 600, 32, 0), nullptr);
    ASSERT_EQ(TTF_Init(), 0);
    ASSERT_EQ(SDLNet_Init(), 0);
    SDL_EnableUNICODE(1);
}

inline SDL_Event key_down(SDLKey sym, Uint16 unicode = 0) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = sym;
    event.key.keysym.unicode = unicode;
    return event;
}

inline SDL_Event key_up(SDLKey sym) {
    SDL_Event event{};
    event.type = SDL_KEYUP;
    event.key.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    event.key.keysym.sym = sym;
    return event;
}

inline SDL_Event mouse_down(int x, int y, Uint8 which = SDL_BUTTON_LEFT) {
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = which;
    event.button.state = SDL_PRESSED;
    event.button.x = static_cast<Uint16>(x);
    event.button.y = static_cast<Uint16>(y);
    return event;
}

inline SDL_Event mouse_up(int x, int y) {
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONUP;
    event.button.type = SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = SDL_RELEASED;
    event.button.x = static_cast<Uint16>(x);
    event.button.y = static_cast<Uint16>(y);
    return event;
}

// Puts the pointer where SDL_GetMouseState reports it (the dummy driver keeps what it is told).
inline void move_pointer(int x, int y) {
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
    SDL_PumpEvents();
    SDL_Event drop;
    while (SDL_PollEvent(&drop)) {
    }
}

}  // namespace rx_test
