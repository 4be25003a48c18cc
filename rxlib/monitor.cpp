// The connection monitor: confirms the session every period; after repeated failures counts down
// and ends the process.
#include <SDL_net.h>

#include "platform/process.h"
#include "platform/thread.h"
#include "rxlib/library_state.h"

namespace rx::lib {
namespace {

monitor_timing timing;

void run_monitor(session_record* record, monitor_timing settings) {
    // Our own reference keeps SDL_net (and its ignoring of broken-pipe signals) alive after the
    // emulator's rx_shutdown, since this thread goes on checking until the process ends.
    SDLNet_Init();
    int failures = 0;
    while (failures < settings.failures_allowed) {
        platform::sleep_ms(settings.period_ms);
        // user_name and session_id are written before this thread starts and never again.
        std::string user_name = record->user_name;
        std::string session_id = record->session_id;
        if (check_connection(user_name, session_id)) {
            failures = 0;
        } else {
            ++failures;
        }
    }
    record->connected = 0;
    while (record->shutdown_count > 0) {
        platform::sleep_ms(settings.countdown_step_ms);
        --record->shutdown_count;
    }
    // The emulator may still be reading the image and drawing on its own thread, so only the game
    // is handed back; the image, SDL and SDL_ttf are left to the process's end.
    shut_down(false);
    platform::exit_process(0);
}

}  // namespace

void set_monitor_timing(const monitor_timing& settings) {
    timing = settings;
}

bool start_monitor() {
    session_record* record = &session();
    monitor_timing settings = timing;
    return platform::start_thread([record, settings] { run_monitor(record, settings); },
                                  platform::thread_priority::lowest);
}

}  // namespace rx::lib
