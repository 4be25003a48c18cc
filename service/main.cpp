// rx_service: the local stand-in for the Relicade web host, catalogue host and game server.
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "platform/path.h"
#include "service/net.h"
#include "service/servers.h"
#include "service/update_folder.h"

using namespace rx::service;

namespace {

// The operator's commands on one save: list its kept versions or bring one back.
int save_command(service_state& state, const service_options& options) {
    const std::string& user = options.saves_user;
    const std::string& file = options.saves_file;
    std::string error;
    // Only the service's own start (or --add-user) makes the database: it alone knows whether the
    // sample's accounts belong in it.
    if (!std::filesystem::exists(rx::platform::join_path(state.data_dir(), "state.db"))) {
        std::cerr << "rx_service: no state database in " << state.data_dir()
                  << " (start the service on it once)\n";
        return 1;
    }
    if (!state.open_store(error)) {
        std::cerr << "rx_service: " << error << "\n";
        return 1;
    }
    if (options.export_version > 0) {
        const auto bytes = state.save_version_bytes(user, file, options.export_version);
        if (!bytes) {
            std::cerr << "rx_service: no version " << options.export_version << " of " << user
                      << "'s " << file << "\n";
            return 1;
        }
        std::cout.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
        return std::cout.flush() ? 0 : 1;
    }
    if (options.restore_version > 0) {
        if (!state.restore_save_version(user, file, options.restore_version, error)) {
            std::cerr << "rx_service: " << error << "\n";
            return 1;
        }
        std::cout << "restored version " << options.restore_version << " of " << user << "'s "
                  << file << "\n";
        return 0;
    }
    const auto versions = state.save_versions(user, file);
    if (versions.empty()) {
        std::cerr << "rx_service: no kept versions of " << user << "'s " << file << "\n";
        return 1;
    }
    for (const auto& v : versions) {
        const std::time_t at = static_cast<std::time_t>(v.stored_at);
        std::tm utc{};
        gmtime_r(&at, &utc);
        char when[32];
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &utc);
        std::cout << v.number << "  " << v.size << " bytes  " << when
                  << (v.number == 1 ? "  (current)" : "") << "\n";
    }
    return 0;
}

// Reads the password from standard input (one line, so a pipe or a typed line both work) and
// stores the account hashed; the password is never echoed or logged.
int add_user(const service_options& options, const std::string& data) {
    std::string password;
    // Typed at a terminal, the password is not echoed.
    termios saved{};
    const bool terminal = ::isatty(0) && ::tcgetattr(0, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(0, TCSAFLUSH, &quiet);
        std::cerr << "Password for " << options.add_user << ": " << std::flush;
    }
    std::getline(std::cin, password);
    if (terminal) {
        ::tcsetattr(0, TCSAFLUSH, &saved);
        std::cerr << "\n";
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (password.empty()) {
        std::cerr << "rx_service: no password on standard input\n";
        return 1;
    }
    service_state state(options, {}, data);
    std::string error;
    if (!state.add_account(account_record{options.add_user, password, options.add_user_kind},
                           error)) {
        std::cerr << "rx_service: " << error << "\n";
        return 1;
    }
    std::cerr << "rx_service: account '" << options.add_user << "' ("
              << (options.add_user_kind == 2 ? "full" : "free") << ") stored in "
              << rx::platform::join_path(data, "state.db")
              << "; a running service sees it after a restart\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    raise_descriptor_limit();
    std::string error;
    const auto options = parse_options(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!options) {
        std::cerr << "rx_service: " << error << "\n" << usage_text();
        return 2;
    }
    if (options->help) {
        std::cout << usage_text() << std::flush;
        return 0;
    }
    if (!options->sign_update.empty()) {
        std::string folder = options->sign_update;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        const std::string location = options->sign_location.empty()
                                         ? folder.substr(folder.rfind('/') + 1)
                                         : options->sign_location;
        const auto terms = signing_terms_of(options->sign_release, options->sign_expires,
                                            options->sign_next_key, &error);
        if (!terms || !sign_update_folder(folder, options->key_file, location, *terms, &error)) {
            std::cerr << "rx_service: " << error << "\n";
            return 1;
        }
        return 0;
    }
    const auto program = rx::platform::executable_directory();
    if (!options->add_user.empty()) {
        if (!program && options->data_dir.empty()) {
            std::cerr << "rx_service: cannot find the program folder; pass --data\n";
            return 1;
        }
        const std::string data = options->data_dir.empty()
                                     ? rx::platform::join_path(*program, "rx_service_data")
                                     : options->data_dir;
        return add_user(*options, data);
    }
    if (!program && (options->sample_dir.empty() || options->data_dir.empty())) {
        std::cerr << "rx_service: cannot find the program folder; pass --sample and --data\n";
        return 1;
    }
    const std::string sample = options->sample_dir.empty()
                                   ? rx::platform::join_path(*program, "service")
                                   : options->sample_dir;
    const std::string data = options->data_dir.empty()
                                 ? rx::platform::join_path(*program, "rx_service_data")
                                 : options->data_dir;

    service_state state(*options, sample, data);
    if (!options->saves_user.empty()) return save_command(state, *options);
    if (!state.load(error)) {
        // One line for every refused catalogue line, so the operator fixes them all in one go.
        std::istringstream lines(error);
        for (std::string line; std::getline(lines, line);)
            std::cerr << "rx_service: " << line << "\n";
        return 1;
    }
    int http_port = 0, game_port = 0;
    const int http = listen_tcp(options->bind, options->http_port, http_port, error);
    if (http < 0) {
        std::cerr << "rx_service: cannot listen for HTTP on port " << options->http_port << ": "
                  << error << "\n";
        return 1;
    }
    const int game = listen_tcp(options->bind, options->game_port, game_port, error);
    if (game < 0) {
        std::cerr << "rx_service: cannot listen for games on port " << options->game_port << ": "
                  << error << "\n";
        return 1;
    }
    // Said before the first line, so whoever reads that line knows the mode is already settled.
    if (options->test_hooks)
        state.log_event("test hooks on: /control and /test/ answer, logs keep passwords");
    else
        state.log_event(
            "production mode: /control and /test/ are off, logs mask passwords and session ids");
    // Guest saves belong to play sessions: those of plays that did not come back go.
    state.drop_ended_guest_saves();
    std::cout << "rx_service listening http=" << http_port << " game=" << game_port << std::endl;

    // Every connection on both ports is served by this thread's loop; slow work goes to a few
    // workers beside it.
    run_service_loop(state, http, game);
    return 0;
}
