// rx_update: opens its window, runs the update and starts Relicade again; exit code 1 on failure.
#include <SDL.h>

#include <exception>
#include <string>

#include "common/guard.h"
#include "common/program_folder.h"
#include "platform/install.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/service_config.h"
#include "update_public_key.h"
#include "updater/logic/signature.h"
#include "updater/update.h"
#include "updater/window.h"

namespace {

bool start_browser() {
    return rx::run_guarded_or(false, "Unknown Exception in update - start_browser", [&] {
        const auto dir = rx::get_directory();
        if (!dir) return false;
        const std::string program =
            rx::platform::join_path(*dir, rx::platform::program_file_name("Relicade"));
        if (rx::platform::processes().start_detached(program, "")) return true;
        rx::log_error("Failure starting Relicade - start_browser");
        return false;
    });
}

int run(int argc, char** argv) {
    rx::platform::set_environment("SDL_VIDEO_WINDOW_POS", "center");
    rx::platform::set_environment("SDL_VIDEO_CENTERED", "1");
    const bool fullscreen = argc > 1 && std::string(argv[1]) == "1";
    const std::string location = argc > 2 ? argv[2] : "";

    rx::updater::update_window window;
    if (!window.init(fullscreen)) return 1;
    if (!window.show()) return 1;

    const auto dir = rx::get_directory();
    if (!dir) return 1;
    // Windows keeps a running program's file, so an earlier update that replaced this updater left
    // the old one set aside; it is free to go now.
    rx::platform::remove_file(
        rx::platform::join_path(*dir, rx::platform::program_file_name("rx_update")) + ".rx_old");
    rx::updater::update_settings settings;
    settings.program_folder = *dir;
    settings.location = location;
    settings.catalogue = rx::config::catalogue_host();
    const auto key = rx::updater::parse_hex32(rx_update_public_key_hex);
    if (!key) {
        rx::log_error("Failure reading the service's key - check_signature");
        return 1;
    }
    settings.key = *key;
    settings.log = [](std::string_view text) { rx::log_error(text); };
    settings.progress = [&window](std::int64_t done, std::int64_t total) {
        return window.update_status(done, total);
    };
    if (!rx::updater::get_file_manifest(settings)) return 1;

    const bool started = start_browser();
    window.clean_up();
    return started ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // An update that did not run to its end is a failure.
    return rx::run_guarded_or(1, "Unknown exception in update - main",
                              [&] { return run(argc, argv); });
}
