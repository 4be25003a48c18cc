// Times one whole-window frame with the dummy video driver, and measures idle CPU.
//   rx_frame_bench                 frame cost with the dummy video driver
//   rx_frame_bench --idle PID [S]  CPU share of process PID over S seconds (default 10)
#include <SDL.h>
#include <SDL_ttf.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "browser/app/app.h"
#include "widgets/button.h"
#include "widgets/display_message.h"
#include "widgets/image.h"

namespace {

// utime + stime of a process in clock ticks, from /proc/<pid>/stat; -1 when it cannot be read.
long long cpu_ticks(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(in, line)) return -1;
    // The command name may hold blanks; the fields after its closing parenthesis are fixed.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stoll(field);
        if (i == 15) stime = std::stoll(field);
    }
    return utime + stime;
}

int idle(const std::string& pid, int seconds) {
    const long long before = cpu_ticks(pid);
    if (before < 0) {
        std::fprintf(stderr, "cannot read /proc/%s/stat\n", pid.c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long long after = cpu_ticks(pid);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (after < 0) {
        std::fprintf(stderr, "process %s ended during the measurement\n", pid.c_str());
        return 1;
    }
    const double cpu =
        static_cast<double>(after - before) / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::printf("idle cpu: %.2f%% of one core over %.1f s (%.2f s cpu)\n", 100.0 * cpu / wall, wall,
                cpu);
    return 0;
}

int frames() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    rx::set_directory_override(std::string(RX_PROGRAM_DIR));
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) == -1 ||
        SDL_SetVideoMode(800, 600, 32, 0) == nullptr || TTF_Init() == -1) {
        std::fprintf(stderr, "SDL start failed: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_Surface* background = rx::load_image("background.png");
    if (background == nullptr) {
        std::fprintf(stderr, "artwork missing in %s/images\n", RX_PROGRAM_DIR);
        return 1;
    }
    // The main menu's grid: four rows of five 150 x 150 buttons.
    const char* images[] = {
        "button_free.png",       "button_atari2600.png",    "button_coleco.png",
        "button_gameboy.png",    "button_gameboycolor.png", "button_gameboyadvance.png",
        "button_gamegear.png",   "button_genesis.png",      "button_nes.png",
        "button_n64.png",        "button_sms.png",          "button_snes.png",
        "button_pce.png",        "button_all.png",          "button_facebook.png",
        "button_controls.png",   "button_fullscreen.png",   "button_news.png",
        "button_changeuser.png", "button_exit.png"};
    std::array<rx::button, 20> buttons;
    int missing = 0;
    for (int i = 0; i < 20; ++i) {
        buttons[i].load_button(5 + 160 * (i % 5), 150 * (i / 5), 150, images[i], 150);
        missing += buttons[i].image() == nullptr ? 1 : 0;
    }
    rx::display_message message("NEURPOLI.TTF", 20, 255, 255, 255);
    message.set_message(1000, "Incorrect Username or password.");

    std::vector<double> micros;
    const int count = 2000;
    micros.reserve(count);
    for (int i = 0; i < count; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        rx::blit_at(0, 0, background, screen);
        for (auto& b : buttons) b.show();
        message.show();
        SDL_Flip(screen);
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    std::printf(
        "frame (background, 20 buttons, message, flip; dummy driver): median %.0f us, p90 %.0f us, "
        "%.1f%% of the 16 ms frame (target < 2000 us)%s\n",
        median, micros[micros.size() * 9 / 10], 100.0 * median / 16000.0,
        missing != 0 ? " [some button artwork missing]" : "");
    SDL_FreeSurface(background);
    SDL_Quit();
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 3 && std::string(argv[1]) == "--idle") {
        return idle(argv[2], argc >= 4 ? std::max(1, std::atoi(argv[3])) : 10);
    }
    return frames();
}
