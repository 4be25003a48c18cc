// rx_service's command line and its run-time fault switches.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rx::service {

// Faults that tests switch on to see how clients cope; all off by default.
struct fault_settings {
    int delay_ms = 0;                 // every reply waits this long
    bool close_before_reply = false;  // read the request, close without a reply
    bool never_reply = false;         // read the request, stay silent, keep the connection open
    bool garbage = false;             // answer random bytes (HTTP)
    bool keep_open = false;           // answer, then hold the connection open (HTTP)
    long long truncate_game = -1;     // cut the game stream after this many bytes, then close
    long long truncate_save = -1;     // cut a save being loaded after this many bytes, then close
    bool refuse_saves = false;        // a store is answered "Save not stored." and not written
    bool refuse_logins = false;       // game logins answer "Incorrect Username or Password"
    int user_in_use = 0;              // the next N game logins answer "Username in use ..."
    std::optional<std::string> game_error;  // reply to the game id instead of "ok"
    bool session_invalid = false;           // clear_free_game_counter.php answers "0"
    std::optional<std::string> version;     // served by current_version.php instead of the default
    std::optional<std::string> manifest;    // served by manifest.php instead of the listed files
    std::optional<std::string> signature;   // served by signature.php instead of signature.txt
    // Update files served broken: "not_found" (a 404 page), "truncate" (half the file, then close),
    // "bad_crc" (the gzip trailer's CRC changed), "short_header" (five header lines, then close),
    // "silent" (the header and half the file, then nothing while the connection is held).
    std::string update_file;
    std::string update_file_only;  // when set, only update files whose path ends with this
};

// Sets one switch by its name ("delay_ms", "garbage", ...). Flags accept an empty value, "1",
// "true", "on" (and "0", "false", "off" to clear). False with a reason for an unknown name or a bad
// number.
bool apply_fault(fault_settings& faults, std::string_view name, std::string_view value,
                 std::string* error);

struct service_options {
    std::string data_dir;            // empty: a folder beside the program
    std::string sample_dir;          // empty: <program folder>/service
    std::string games_dir;           // empty: SAMPLE/games when it exists; given: it must exist
    std::string host = "localhost";  // host name written into pages and messages
    std::string bind = "127.0.0.1";
    int http_port = 80;
    int game_port = 11001;
    std::string request_log;  // empty: <data>/requests.log
    std::string game_log;     // empty: <data>/game_requests.log
    int session_timeout_s = 150;
    int io_timeout_ms = 30000;   // longest wait for a client's next bytes
    int hold_ms = 60000;         // how long never_reply / keep_open hold a connection at most
    int memory_cache_mib = 384;  // compressed images kept in memory; real games spill to DATA
    int max_connections = 512;   // open connections per port
    int max_connections_per_address = 128;  // open connections per port from one address
    int login_deadline_ms = 5000;           // a game login's name and password arrive within this
    int command_deadline_ms = 10000;        // a game command's tokens arrive within this
    // Each account's saves (and each guest play's): how many, and their bytes with kept versions.
    int save_quota_saves = 100;
    int save_quota_kib = 65536;
    fault_settings faults;
    // /control and /test/* answer, and the logs keep every byte as received (passwords too): only
    // for tests and the local client run. Off, the service runs as an operator would run it.
    bool test_hooks = false;
    // Cost of new password hashes: "moderate" (the default), "interactive" or "min" (tests only:
    // fast and weak). Stored hashes carry their own cost, so any of them verifies later.
    std::string password_cost = "moderate";
    int login_lock_ms = 1000;  // first lock-out after failed logins; each later one doubles
    int log_max_kib = 4096;    // a log file is rotated once it passes this size
    int log_keep = 3;          // rotated logs kept beside it (LOG.1 ... LOG.N)
    bool help = false;
    // Adding an account instead of serving: the name and kind (1 free, 2 full); the password is
    // read from standard input.
    std::string add_user;
    int add_user_kind = 0;
    // Signing instead of serving: the update folder, the private key file and the location signed
    // for (empty: the folder's name).
    std::string sign_update;
    std::string key_file;
    std::string sign_location;
    // The update's release number (required) and its last valid day, YYYY-MM-DD (empty: a year
    // from the day it is signed); checked when signing.
    std::string sign_release;
    std::string sign_expires;
    // The public key file (64 hex digits) of the key later updates will be signed with; empty:
    // none.
    std::string sign_next_key;
    // Operator commands on saves instead of serving: list a save's kept versions, or make version
    // `restore_version` (1 the newest) the current one, or write `export_version`'s bytes out.
    std::string saves_user;
    std::string saves_file;
    int restore_version = 0;  // 0: list only
    int export_version = 0;   // above 0: that version's bytes to standard output instead
};

// Parses argv (without the program name). Unknown options, missing values and bad numbers are
// errors.
std::optional<service_options> parse_options(const std::vector<std::string>& args,
                                             std::string* error);

std::string usage_text();

}  // namespace rx::service
