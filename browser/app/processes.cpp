// Web pages, emulators and the updater started through the platform's process runner; the game
// watch loop.
#include "browser/app/processes.h"

#include <SDL.h>

#include <exception>

#include "browser/app/app.h"
#include "browser/base/logic/session_text.h"
#include "platform/input.h"
#include "platform/install.h"
#include "platform/message_box.h"
#include "platform/path.h"
#include "platform/service_config.h"
#include "platform/thread.h"

namespace rx {
namespace {

// A URL that would not fit the 512-byte buffer is not opened cut short.
void open_page(const std::string& url) {
    if (url.size() > launch_text_limit) {
        log_error("Failure address too long - open_url");
        return;
    }
    platform::processes().open_url(url);
}

}  // namespace

void open_signup_page() {
    open_page(signup_url(config::web_host().authority()));
}

void open_account_page(const std::wstring& user_name, const std::wstring& password) {
    open_page(account_url(config::web_host().authority(), user_name, password));
}

void open_facebook_authorisation(const std::wstring& user_name) {
    open_page(facebook_authorisation_url(config::social_host().authority(), user_name));
}

void open_facebook_status(const std::wstring& user_name) {
    open_page(facebook_status_url(config::social_host().authority(), user_name));
}

process_handle start_emulator(const std::string& program_path,
                              const std::wstring& launch_argument) {
    const std::string parameters = narrow_text(launch_argument);
    // The emulator reads at most 511 bytes; a cut argument would log into the wrong account or
    // game.
    if (parameters.size() > launch_text_limit) {
        log_error("Failure launch argument too long - start_emulator");
        return 0;
    }
    return platform::processes().start(program_path, parameters);
}

bool is_running(process_handle process) {
    if (process == 0) return false;
    return platform::processes().is_running(process);
}

bool pause_key_down() {
    return platform::pause_key_down();
}

void close_game(process_handle process) {
    run_guarded("Unknown Exception - close_game", [&] {
        // A null handle names no process: terminating "0" would hit our own process group on POSIX.
        if (process == 0) return;
        auto& runner = platform::processes();
        if (runner.is_running(process)) {
            int error = 0;
            if (!runner.terminate(process, 0, error)) {
                log_error("Error - close_game - " + std::to_string(error) + " ");
            }
        }
        runner.close(process);
    });
}

void restore_window() {
    platform::restore_window();
}

void launch_update(const std::string& version_text) {
    run_guarded("Unknown Exception - launch_update", [&] {
        const auto directory = get_directory();
        if (!directory) return;
        const std::string program =
            platform::join_path(*directory, platform::program_file_name("rx_update"));
        if (!platform::processes().start_detached(
                program, update_parameters(app::fullscreen() ? 1 : 0, version_text)))
            log_error("Failure starting rx_update - launch_update");
    });
}

bool updater_present() {
    const auto directory = get_directory();
    if (!directory) return false;
    return platform::kind_of(platform::join_path(
               *directory, platform::program_file_name("rx_update"))) == platform::path_kind::file;
}

void watch_game(const std::string& program_path, const std::wstring& launch_argument) {
    const process_handle process = start_emulator(program_path, launch_argument);
    if (process == 0) {
        // Otherwise the list would simply stay, and the player would never learn why. The window
        // steps aside as for a game, so a full-screen one neither hides the message nor holds the
        // keys it needs.
        SDL_WM_IconifyWindow();
        platform::message_box(
            "The emulator for this game could not be started. Please reinstall Relicade.",
            "Relicade");
        restore_window();
        SDL_WarpMouse(400, 300);
        return;
    }
    SDL_Delay(1000);
    SDL_WM_IconifyWindow();

    bool quit_seen = false;
    bool running = true;
    while (running) {
        if (pause_key_down()) {
            close_game(process);
            break;
        }
        running = is_running(process);
        if (!running) {
            close_game(process);  // reaps the child and releases the handle
        }
        // One event per pass is dropped so the queue cannot fill; a close request is kept for the
        // main loop.
        SDL_Event event;
        if (SDL_PollEvent(&event) && event.type == SDL_QUIT) quit_seen = true;
        platform::sleep_ms(50);
    }

    restore_window();
    SDL_WarpMouse(400, 300);
    if (quit_seen) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}

}  // namespace rx
