// rx_host: a stand-in emulator that drives rxlib in the required order, interactively or from a
// test script.
#include <SDL.h>
#include <SDL_ttf.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/path.h"
#include "platform/thread.h"
#include "rxlib/rxlib.h"

namespace {

unsigned long checksum(const unsigned char* data, std::size_t size) {
    if (!data) return 0;
    return crc32(crc32(0L, Z_NULL, 0), data, static_cast<uInt>(size));
}

// The save's file name for this game: one name per game, no folder parts.
std::string save_name() {
    std::string name = rx_get_game_name();
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':') c = '_';
    }
    return name + ".sav";
}

std::string in_folder(const std::string& name) {
    return std::string(rx_get_diretory()) + name;
}

bool write_file(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Deterministic save contents of a given size, so a round trip can be checked by its checksum.
std::vector<unsigned char> save_pattern(std::size_t size, unsigned seed) {
    std::vector<unsigned char> bytes(size);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<unsigned char>(x >> 24);
    }
    return bytes;
}

void print_game() {
    std::printf("game name=%s size=%d crc=%08lx location=%s\n", rx_get_game_name(),
                rx_get_game_size(),
                checksum(rx_get_game_location(), static_cast<std::size_t>(rx_get_game_size())),
                rx_get_game_location() ? "set" : "null");
    std::fflush(stdout);
}

void print_load() {
    int size = rx_get_load_size();
    std::size_t shown = size > 0 ? static_cast<std::size_t>(size) : 0;
    std::printf("load size=%d crc=%08lx\n", size, checksum(rx_get_load_location(), shown));
    std::fflush(stdout);
}

void print_state() {
    std::printf("state init=%d connected=%d count=%d\n", rx_is_init(), rx_is_connected(),
                rx_get_shutdown_count());
    std::fflush(stdout);
}

// Script mode: each argument after the launch argument is one step; prints what it sees.
int run_script(const char* launch, int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        std::string step = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (step == "state") {
            print_state();
        } else if (step == "init" || step == "init-full") {
            rx_init(launch, step == "init-full" ? 1 : 0);
            print_game();
        } else if (step == "close") {
            rx_close_window();
        } else if (step == "image") {
            std::string path = next();
            const unsigned char* at = rx_get_game_location();
            write_file(path, std::vector<unsigned char>(at, at + (at ? rx_get_game_size() : 0)));
        } else if (step == "write") {
            std::string name = next();
            std::size_t size = std::strtoul(next().c_str(), nullptr, 10);
            write_file(in_folder(name), save_pattern(size, static_cast<unsigned>(size)));
            std::printf("wrote %s size=%zu crc=%08lx\n", name.c_str(), size,
                        checksum(save_pattern(size, static_cast<unsigned>(size)).data(), size));
            std::fflush(stdout);
        } else if (step == "save") {
            rx_save_game(next().c_str());
            std::printf("saved\n");
            std::fflush(stdout);
        } else if (step == "load") {
            rx_load_game(next().c_str());
            print_load();
        } else if (step == "save-as") {
            std::string file = next();
            rx_save_game_as(file.c_str(), next().c_str());
            std::printf("saved\n");
            std::fflush(stdout);
        } else if (step == "status") {
            std::printf("status load=%d save=%d\n", rx_get_load_status(), rx_get_save_status());
            std::fflush(stdout);
        } else if (step == "await") {
            // Holds the script until the test creates the file (at most a minute), so a test can
            // change the service between two steps.
            std::string path = next();
            for (int waited = 0; waited < 60000 && !std::ifstream(path); waited += 10)
                rx::platform::sleep_ms(10);
        } else if (step == "sleep") {
            rx::platform::sleep_ms(
                static_cast<unsigned>(std::strtoul(next().c_str(), nullptr, 10)));
        } else if (step == "watch") {
            // Reports every change of the monitor's view until rxlib ends the process.
            int last_connected = -1, last_count = -1;
            for (;;) {
                int connected = rx_is_connected(), count = rx_get_shutdown_count();
                if (connected != last_connected || count != last_count) {
                    std::printf("watch connected=%d count=%d\n", connected, count);
                    std::fflush(stdout);
                    last_connected = connected;
                    last_count = count;
                }
                rx::platform::sleep_ms(10);
            }
        } else if (step == "shutdown") {
            rx_shutdown();
            print_state();
        } else {
            std::fprintf(stderr, "rx_host: unknown step %s\n", step.c_str());
            return 2;
        }
    }
    return 0;
}

// The emulator's own window: game, save state and the monitor's warning.
class host_window {
  public:
    bool open() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == -1) return false;
        screen_ = SDL_SetVideoMode(640, 240, 32, 0);
        if (!screen_) return false;
        if (TTF_WasInit() || TTF_Init() == 0) {
            std::string font = rx::platform::join_path(rx_get_diretory(), "NEURPOLI.TTF");
            font_ = TTF_OpenFont(font.c_str(), 16);
        }
        return true;
    }

    void draw(const std::vector<std::string>& lines, bool warning) {
        SDL_FillRect(screen_, nullptr,
                     warning ? SDL_MapRGB(screen_->format, 120, 0, 0)
                             : SDL_MapRGB(screen_->format, 0, 40, 90));
        int y = 10;
        for (const std::string& line : lines) {
            if (font_ && !line.empty()) {
                SDL_Surface* text =
                    TTF_RenderText_Solid(font_, line.c_str(), SDL_Color{255, 255, 255, 0});
                if (text) {
                    SDL_Rect at{10, static_cast<Sint16>(y), 0, 0};
                    SDL_BlitSurface(text, nullptr, screen_, &at);
                    SDL_FreeSurface(text);
                }
            }
            y += 26;
        }
        SDL_Flip(screen_);
    }

    void release() {
        if (font_) TTF_CloseFont(font_);
        font_ = nullptr;
    }

  private:
    SDL_Surface* screen_ = nullptr;
    TTF_Font* font_ = nullptr;
};

int run_interactive(const char* launch) {
    const char* full = std::getenv("RX_HOST_FULLSCREEN");
    rx_init(launch, full && *full == '1' ? 1 : 0);
    rx_close_window();
    print_game();

    // Restore the battery save from the service, as the emulator would before starting the game.
    std::string name = save_name();
    rx_load_game(name.c_str());
    print_load();
    int loaded = rx_get_load_size();
    unsigned saves = 0;
    if (loaded > 0) {
        const unsigned char* at = rx_get_load_location();
        write_file(in_folder(name), std::vector<unsigned char>(at, at + loaded));
        // The save's first byte counts the saves made so far, so a later run shows it came back.
        saves = at[0];
    }

    host_window window;
    if (!window.open()) {
        // A test that finds no window must be able to say why.
        std::fprintf(stderr, "rx_host: cannot open the window: %s\n", SDL_GetError());
        rx_shutdown();
        return 1;
    }
    unsigned long crc =
        checksum(rx_get_game_location(), static_cast<std::size_t>(rx_get_game_size()));
    bool running = true;
    while (running) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) running = false;
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) running = false;
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_s) {
                std::vector<unsigned char> bytes = save_pattern(8192, ++saves);
                bytes[0] = static_cast<unsigned char>(saves);
                write_file(in_folder(name), bytes);
                rx_save_game(name.c_str());
                std::printf("saved %s number=%u crc=%08lx\n", name.c_str(), saves,
                            checksum(bytes.data(), bytes.size()));
                std::fflush(stdout);
            }
        }
        char caption[256];
        std::snprintf(caption, sizeof caption, "rx_host %s size=%d crc=%08lx saves=%u",
                      rx_get_game_name(), rx_get_game_size(), crc, saves);
        SDL_WM_SetCaption(caption, nullptr);
        std::vector<std::string> lines{std::string("Game: ") + rx_get_game_name(),
                                       "Image: " + std::to_string(rx_get_game_size()) + " bytes",
                                       "Checksum: " + std::to_string(crc),
                                       "Save loaded: " + std::to_string(loaded) +
                                           " bytes, saves made: " + std::to_string(saves),
                                       "S saves, Esc quits"};
        bool lost = rx_is_connected() == 0;
        if (lost) {
            lines.push_back("Connection lost - closing in " +
                            std::to_string(rx_get_shutdown_count()) + " s");
        }
        // Once the countdown has run out rxlib is tearing the process down; stop touching the
        // display.
        if (!(lost && rx_get_shutdown_count() <= 0)) window.draw(lines, lost);
        SDL_Delay(30);
    }
    window.release();
    rx_shutdown();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s LAUNCH_ARGUMENT [STEP...]\n",
                     argc > 0 ? argv[0] : "rx_host");
        return 2;
    }
    if (argc > 2) return run_script(argv[1], argc - 2, argv + 2);
    return run_interactive(argv[1]);
}
