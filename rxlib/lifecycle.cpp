// The session record, the error log, the module folder and the start-up and shutdown sequences.
#include <SDL.h>
#include <SDL_net.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/message_box.h"
#include "platform/path.h"
#include "platform/process.h"
#include "rxlib/library_state.h"
#include "rxlib/logic/launch_argument.h"
#include "rxlib/logic/protocol.h"
#include "rxlib/window.h"

namespace rx::lib {
namespace {

std::mutex log_mutex;
std::mutex shutdown_mutex;
// SDL_net counts its users; only the reference taken by rx_init is given back by the shutdown
// sequence.
bool network_started = false;

}  // namespace

session_record& session() {
    static session_record record;
    return record;
}

std::atomic<std::uint32_t>& game_size() {
    static std::atomic<std::uint32_t> size{0};
    return size;
}

std::atomic<std::uint8_t>& initialised() {
    static std::atomic<std::uint8_t> flag{0};
    return flag;
}

std::uint8_t* load_buffer() {
    alignas(16) static std::uint8_t buffer[save_buffer_size];
    return buffer;
}

std::atomic<std::int32_t>& load_size() {
    static std::atomic<std::int32_t> size{0};
    return size;
}

std::atomic<std::int32_t>& load_status() {
    static std::atomic<std::int32_t> status{0};
    return status;
}

std::atomic<std::int32_t>& save_status() {
    static std::atomic<std::int32_t> status{0};
    return status;
}

const std::string& executable_folder() {
    // The executable does not move while it runs, and both threads read this text, so it is
    // computed once.
    static const std::string folder = [] {
        std::string text;
        try {
            if (std::optional<std::string> dir = platform::executable_directory()) {
                text = *dir;
                if (text.empty() || text.back() != platform::path_separator)
                    text += platform::path_separator;
            }
        } catch (...) {
            platform::message_box("get_directory()", "Exception");
        }
        return text;
    }();
    return folder;
}

void write_log(std::string_view message) {
    try {
        std::lock_guard<std::mutex> lock(log_mutex);
        std::string path = executable_folder() + "rxlib_error_log.txt";
        if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
            std::fwrite(message.data(), 1, message.size(), file);
            std::fputc('\n', file);
            std::fclose(file);
        }
    } catch (...) {
    }
}

void show_message(const std::string& text, const std::string& caption) {
    platform::message_box(text, caption);
#ifndef _WIN32
    write_log(caption + ": " + text);
#endif
}

void fatal(const std::string& text, const std::string& caption, const std::string& detail) {
#ifndef _WIN32
    // The process ends after the message anyway; a full-screen loading window would hide the
    // message window and hold the keyboard it needs.
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
#endif
    platform::message_box(text, caption);
#ifdef _WIN32
    if (!detail.empty()) write_log(caption + ": " + text + " - " + detail);
#else
    write_log(caption + ": " + text + (detail.empty() ? "" : " - " + detail));
#endif
    platform::exit_process(0);
}

namespace {

bool init_sdl() {
    platform::set_environment("SDL_VIDEO_WINDOW_POS", "center");
    platform::set_environment("SDL_VIDEO_CENTERED", "1");
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0 && SDL_Init(0) == -1) return false;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) == -1) return false;
    if (TTF_WasInit() == 0 && TTF_Init() == -1) return false;
    if (SDLNet_Init() == -1) return false;
    network_started = true;
    return true;
}

}  // namespace

void start_up(const char* launch_argument, int fullscreen) {
    session_record& record = session();
    record.game_location = nullptr;
    record.fullscreen = fullscreen;
    record.connected = 1;
    record.shutdown_count = 30;

    launch_fields fields;
    parse_launch_argument(launch_argument ? launch_argument : "", fields);
    record.user_name = fields.user_name;
    record.password = fields.password;
    record.host = fields.host;
    record.game_name = fields.game_name;

    if (!init_sdl()) fatal("init_SDL()", "Error", SDL_GetError());
    if (!window::load_images(fullscreen != 0))
        fatal("Failed to load images", "Error", SDL_GetError());
    window::draw();
    if (!open_game()) fatal("Failed to load game.", "Error");
    window::free_images();

    initialised() = 1;
    write_log("RXLIB Initialized");
}

void shut_down(bool by_emulator) {
    std::lock_guard<std::mutex> lock(shutdown_mutex);
    if (!by_emulator) {
        free_game();
        return;
    }
    session_record& record = session();
    if (std::uint8_t* image = record.game_location.exchange(nullptr)) {
        std::free(image);
        game_size() = 0;
    }
    free_game();
    window::free_images();
    if (network_started) {
        SDLNet_Quit();
        network_started = false;
    }
    window::close_font();
    if (TTF_WasInit()) TTF_Quit();
    if (SDL_WasInit(SDL_INIT_EVERYTHING)) SDL_Quit();
    initialised() = 0;
}

}  // namespace rx::lib
