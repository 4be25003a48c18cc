// Starting a game's emulator: the status thread, the launch argument and watching the emulator.
#include "browser/screens/play.h"

#include <exception>

#include "browser/base/program.h"
#include "browser/screens/logic/launch.h"
#include "common/guard.h"
#include "net/web_transport.h"
#include "platform/path.h"
#include "platform/service_config.h"
#include "platform/thread.h"

namespace rx {

std::string emulator_path(const emulator_entry& entry) {
    const auto directory = get_directory();
    if (!directory) return {};
    return platform::join_path(*directory, platform::program_file_name(entry.program));
}

void update_facebook_status(const std::wstring& user_name, const std::string& title,
                            const std::string& display_name) {
    web::request req;
    req.host = config::web_host();
    req.target = catalogue::status_path(user_name, title, display_name, config::web_site());
    req.version = "HTTP/1.1";
    req.mode = web::receive_mode::close;
    req.chunk_size = 256;
    req.operation = "update_facebook_status";
    const web::reply reply = web::http_get(req, [](std::string_view line) { log_error(line); });
    if (!reply.ok) return;
    if (reply.text.find("error") != std::string::npos) program().open_facebook_status(user_name);
}

bool play_game(const catalogue::game_row& game, const std::wstring& user_name,
               const std::wstring& password) {
    const emulator_entry* entry = find_emulator(game.system_code);
    if (!entry) {
        log_error("Failure no emulator for system code " + game.system_code + " - play");
        return false;
    }
    const std::string program_path = emulator_path(*entry);
    if (program_path.empty()) {
        log_error("Failure finding program folder - play");
        return false;
    }

    // The thread gets its own copies: nothing is shared with the main thread once it runs.
    const std::string display_name(entry->display_name);
    platform::start_thread(
        [user_name, title = game.title, display_name] {
            try {
                update_facebook_status(user_name, title, display_name);
            } catch (...) {
                // The game runs whatever became of the status message.
            }
        },
        platform::thread_priority::highest);

    const std::wstring scheme(entry->scheme.begin(), entry->scheme.end());
    program().watch_game(program_path,
                         catalogue::launch_argument(scheme, user_name, password,
                                                    config::emulator_host(), game.game_id));
    return true;
}

}  // namespace rx
