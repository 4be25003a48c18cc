// The exports: each runs its operation and lets no exception reach the emulator.
#include <SDL.h>

#include <atomic>
#include <string>

#include "common/guard.h"
#include "rxlib/library_state.h"
#include "rxlib/logic/protocol.h"
#include "rxlib/rxlib.h"
#include "rxlib/window.h"

namespace {

// An export's exception goes to rxlib's own log, named "Unknown Exception - rxlib::<export>" when
// it carries no text.
template <typename F, typename R>
R run_export(const char* operation, F body, R failure) {
    return rx::run_guarded_into(
        rx::lib::write_log, failure, [&] { return rx::unknown_exception_text("rxlib", operation); },
        body);
}

}  // namespace

extern "C" {

void rx_init(const char* launch_argument, int fullscreen) {
    run_export(
        "rx_init",
        [&] {
            // Start-up runs once per process: the first session's monitor thread goes on reading
            // the session strings until the process ends, so a second start-up (also one after
            // rx_shutdown) would rewrite them under it.
            static std::atomic<bool> started{false};
            if (!started.exchange(true)) rx::lib::start_up(launch_argument, fullscreen);
            return 0;
        },
        0);
}

unsigned char rx_is_init(void) {
    return run_export(
        "rx_is_init", [] { return static_cast<unsigned char>(rx::lib::initialised().load()); },
        static_cast<unsigned char>(0));
}

void rx_shutdown(void) {
    run_export(
        "rx_shutdown",
        [] {
            rx::lib::shut_down(true);
            return 0;
        },
        0);
}

void rx_close_window(void) {
    run_export(
        "rx_close_window",
        [] {
            if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return 0;
        },
        0);
}

unsigned char* rx_get_game_location(void) {
    return run_export(
        "rx_get_game_location", [] { return rx::lib::session().game_location.load(); },
        static_cast<unsigned char*>(nullptr));
}

const char* rx_get_game_name(void) {
    return run_export(
        "rx_get_game_name", [] { return rx::lib::session().game_name.c_str(); }, "");
}

int32_t rx_get_game_size(void) {
    return run_export(
        "rx_get_game_size", [] { return static_cast<int32_t>(rx::lib::game_size().load()); },
        static_cast<int32_t>(0));
}

const char* rx_get_diretory(void) {
    return run_export(
        "rx_get_diretory", [] { return rx::lib::executable_folder().c_str(); }, "");
}

unsigned char rx_is_connected(void) {
    return run_export(
        "rx_is_connected", [] { return rx::lib::session().connected.load(); },
        static_cast<unsigned char>(0));
}

int32_t rx_get_shutdown_count(void) {
    return run_export(
        "rx_get_shutdown_count", [] { return rx::lib::session().shutdown_count.load(); },
        static_cast<int32_t>(0));
}

void rx_save_game(const char* file_name) {
    run_export(
        "rx_save_game",
        [&] {
            rx::lib::save_game(file_name, file_name);
            return 0;
        },
        0);
}

void rx_load_game(const char* file_name) {
    run_export(
        "rx_load_game",
        [&] {
            rx::lib::load_game(file_name);
            return 0;
        },
        0);
}

unsigned char* rx_get_load_location(void) {
    return rx::lib::load_buffer();
}

int32_t rx_get_load_size(void) {
    return run_export(
        "rx_get_load_size", [] { return rx::lib::load_size().load(); }, static_cast<int32_t>(0));
}

void rx_save_game_as(const char* file_name, const char* save_name) {
    run_export(
        "rx_save_game_as",
        [&] {
            rx::lib::save_game(file_name, save_name);
            return 0;
        },
        0);
}

int32_t rx_get_load_status(void) {
    return run_export(
        "rx_get_load_status", [] { return rx::lib::load_status().load(); },
        static_cast<int32_t>(0));
}

int32_t rx_get_save_status(void) {
    return run_export(
        "rx_get_save_status", [] { return rx::lib::save_status().load(); },
        static_cast<int32_t>(0));
}

}  // extern "C"
