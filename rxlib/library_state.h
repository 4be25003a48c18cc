// rxlib's internals shared by its parts: the session record, the log, the module folder and the
// sequences.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace rx::lib {

struct session_record {
    std::string user_name;
    std::string password;
    std::string host;
    std::string game_name;
    std::string session_id;
    std::int32_t fullscreen = 0;
    // Written by the monitor thread and read by the emulator's thread through the exports.
    std::atomic<std::uint8_t> connected{0};
    std::atomic<std::int32_t> shutdown_count{30};
    std::atomic<std::uint8_t*> game_location{nullptr};
};

session_record& session();
std::atomic<std::uint32_t>& game_size();
std::atomic<std::uint8_t>& initialised();
std::uint8_t* load_buffer();  // save_buffer_size bytes, one fixed address
std::atomic<std::int32_t>& load_size();
// How the last load and the last store ended (load_outcome and save_outcome of game_session.h).
std::atomic<std::int32_t>& load_status();
std::atomic<std::int32_t>& save_status();

// Appends one line to "rxlib_error_log.txt" in the executable's folder; failures are silent.
void write_log(std::string_view message);
// The executable's folder with its trailing separator.
const std::string& executable_folder();
// A message box (on POSIX also logged, as there is no desktop to show it).
void show_message(const std::string& text, const std::string& caption);
// A message box, then the process ends with status 0.
// Shows the message box and ends the process with status 0. A non-empty `detail` (the library's own
// error text, such as SDL's) goes only to the log line, so the box keeps its fixed text.
[[noreturn]] void fatal(const std::string& text, const std::string& caption,
                        const std::string& detail = "");

// The whole start-up of rx_init; returns only with the game in memory.
void start_up(const char* launch_argument, int fullscreen);
// The shutdown sequence of rx_shutdown (`by_emulator`), or the monitor's, which only hands the
// game back: the process ends right after it while the emulator's thread may still be reading the
// image and drawing, so the image, the window, SDL_ttf and SDL stay as they are.
void shut_down(bool by_emulator);

// Game server and web host (game_server.cpp).
bool open_game();
// Uploads the file at module folder + `file_name` as the save named `save_name`.
void save_game(const char* file_name, const char* save_name);
void load_game(const char* file_name);
bool assert_alive();
void free_game();
bool check_connection(const std::string& user_name, const std::string& session_id);

// Where the last open_game spent its time, in seconds; read by the start-up benchmark.
struct startup_timings {
    double connect_login = 0;  // connection, login, session id and opening the game
    double transfer =
        0;  // from the request for the bytes to the last byte received (drawing included)
    double inflate = 0;
    double drawing = 0;  // redraws of the loading window during the transfer
    std::uint32_t compressed_size = 0;
};
const startup_timings& last_startup_timings();

// Connection monitor (monitor.cpp).
bool start_monitor();
struct monitor_timing {
    unsigned period_ms = 30000;
    int failures_allowed = 3;
    unsigned countdown_step_ms = 1000;
};
// Only tests shorten the timing; it is not exported from the library.
void set_monitor_timing(const monitor_timing& timing);

}  // namespace rx::lib
