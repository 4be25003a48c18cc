// Parsing of rx_service's options and fault switches.
#include "service/logic/options.h"

#include <charconv>

namespace rx::service {
namespace {

template <typename T>
bool parse_int(std::string_view text, T& value, T min_value) {
    T v{};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || v < min_value)
        return false;
    value = v;
    return true;
}

bool parse_flag(std::string_view value, bool& flag) {
    if (value.empty() || value == "1" || value == "true" || value == "on") {
        flag = true;
        return true;
    }
    if (value == "0" || value == "false" || value == "off") {
        flag = false;
        return true;
    }
    return false;
}

}  // namespace

bool apply_fault(fault_settings& f, std::string_view name, std::string_view value,
                 std::string* error) {
    bool ok = true;
    if (name == "delay_ms")
        ok = parse_int(value, f.delay_ms, 0);
    else if (name == "close_before_reply")
        ok = parse_flag(value, f.close_before_reply);
    else if (name == "never_reply")
        ok = parse_flag(value, f.never_reply);
    else if (name == "garbage")
        ok = parse_flag(value, f.garbage);
    else if (name == "keep_open")
        ok = parse_flag(value, f.keep_open);
    else if (name == "truncate_game")
        ok = parse_int(value, f.truncate_game, -1LL);
    else if (name == "truncate_save")
        ok = parse_int(value, f.truncate_save, -1LL);
    else if (name == "refuse_saves")
        ok = parse_flag(value, f.refuse_saves);
    else if (name == "refuse_logins")
        ok = parse_flag(value, f.refuse_logins);
    else if (name == "user_in_use")
        ok = parse_int(value, f.user_in_use, 0);
    else if (name == "game_error")
        f.game_error = std::string(value);
    else if (name == "session_invalid")
        ok = parse_flag(value, f.session_invalid);
    else if (name == "version")
        f.version = std::string(value);
    else if (name == "manifest")
        f.manifest = std::string(value);
    else if (name == "signature")
        f.signature = std::string(value);
    else if (name == "update_file") {
        ok = value.empty() || value == "not_found" || value == "truncate" || value == "bad_crc" ||
             value == "short_header" || value == "silent";
        if (ok) f.update_file = std::string(value);
    } else if (name == "update_file_only")
        f.update_file_only = std::string(value);
    else {
        if (error) *error = "unknown fault: " + std::string(name);
        return false;
    }
    if (!ok && error)
        *error = "bad value for fault " + std::string(name) + ": " + std::string(value);
    return ok;
}

std::optional<service_options> parse_options(const std::vector<std::string>& args,
                                             std::string* error) {
    service_options o;
    auto fail = [&](const std::string& why) -> std::optional<service_options> {
        if (error) *error = why;
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            continue;
        }
        // The save commands take the user and the save's name (and the version) as words.
        if (arg == "--saves" || arg == "--restore-save" || arg == "--export-save") {
            const std::size_t words = arg == "--saves" ? 2 : 3;
            if (i + words >= args.size()) return fail("missing value for " + arg);
            o.saves_user = args[++i];
            o.saves_file = args[++i];
            int& number = arg == "--export-save" ? o.export_version : o.restore_version;
            if (words == 3 && (!parse_int(std::string_view(args[++i]), number, 1)))
                return fail("bad value for " + arg + ": " + args[i]);
            continue;
        }
        if (arg == "--test-hooks") {
            o.test_hooks = true;
            continue;
        }
        if (arg == "--full" || arg == "--free") {
            if (o.add_user_kind != 0) return fail("give only one of --full and --free");
            o.add_user_kind = arg == "--full" ? 2 : 1;
            continue;
        }
        // Every other option takes a value, either "--name VALUE" or "--name=VALUE".
        std::string name = arg, value;
        bool has_value = false;
        if (const std::size_t eq = arg.find('=');
            arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            has_value = true;
        }
        if (!has_value) {
            if (i + 1 >= args.size()) return fail("missing value for " + arg);
            value = args[++i];
        }
        auto number = [&](int& target, int min_value) {
            return parse_int(std::string_view(value), target, min_value);
        };
        bool ok = true;
        if (name == "--data")
            o.data_dir = value;
        else if (name == "--sample")
            o.sample_dir = value;
        else if (name == "--games")
            o.games_dir = value;
        else if (name == "--host")
            o.host = value;
        else if (name == "--bind")
            o.bind = value;
        else if (name == "--http-port")
            ok = number(o.http_port, 0) && o.http_port <= 65535;
        else if (name == "--game-port")
            ok = number(o.game_port, 0) && o.game_port <= 65535;
        else if (name == "--request-log")
            o.request_log = value;
        else if (name == "--game-log")
            o.game_log = value;
        else if (name == "--sign-update")
            o.sign_update = value;
        else if (name == "--key")
            o.key_file = value;
        else if (name == "--location")
            o.sign_location = value;
        else if (name == "--release")
            o.sign_release = value;
        else if (name == "--expires")
            o.sign_expires = value;
        else if (name == "--next-key")
            o.sign_next_key = value;
        else if (name == "--session-timeout")
            ok = number(o.session_timeout_s, 1);
        else if (name == "--io-timeout-ms")
            ok = number(o.io_timeout_ms, 1);
        else if (name == "--memory-cache-mib")
            ok = number(o.memory_cache_mib, 0);
        else if (name == "--hold-ms")
            ok = number(o.hold_ms, 0);
        else if (name == "--max-connections")
            ok = number(o.max_connections, 1);
        else if (name == "--max-connections-per-address")
            ok = number(o.max_connections_per_address, 1);
        else if (name == "--login-deadline-ms")
            ok = number(o.login_deadline_ms, 1);
        else if (name == "--command-deadline-ms")
            ok = number(o.command_deadline_ms, 1);
        else if (name == "--save-quota-saves")
            ok = number(o.save_quota_saves, 1);
        else if (name == "--save-quota-kib")
            ok = number(o.save_quota_kib, 1);
        else if (name == "--login-lock-ms")
            ok = number(o.login_lock_ms, 1);
        else if (name == "--log-max-kib")
            ok = number(o.log_max_kib, 1);
        else if (name == "--log-keep")
            ok = number(o.log_keep, 1);
        else if (name == "--password-cost") {
            ok = value == "moderate" || value == "interactive" || value == "min";
            if (ok) o.password_cost = value;
        } else if (name == "--add-user")
            o.add_user = value;
        else if (name == "--fault") {
            const std::size_t eq = value.find('=');
            const std::string fault = value.substr(0, eq);
            const std::string fault_value = eq == std::string::npos ? "" : value.substr(eq + 1);
            std::string why;
            if (!apply_fault(o.faults, fault, fault_value, &why)) return fail(why);
        } else {
            return fail("unknown option " + name);
        }
        if (!ok) return fail("bad value for " + name + ": " + value);
    }
    if (!o.sign_update.empty() && o.key_file.empty()) return fail("--sign-update needs --key");
    // Every signed update carries its release: without one, clients refuse it.
    if (!o.sign_update.empty() && o.sign_release.empty())
        return fail("--sign-update needs --release");
    if (o.add_user.empty() != (o.add_user_kind == 0))
        return fail("--add-user NAME goes with one of --full and --free");
    if (o.sign_update.empty() &&
        (!o.key_file.empty() || !o.sign_location.empty() || !o.sign_release.empty() ||
         !o.sign_expires.empty() || !o.sign_next_key.empty()))
        return fail(
            "--key, --location, --release, --expires and --next-key belong to --sign-update");
    return o;
}

std::string usage_text() {
    return "Usage: rx_service [options]\n"
           "Stand-in for the Relicade web host, catalogue host and game server on loopback.\n"
           "  --data DIR            state folder: saves, logs (default: rx_service_data beside the "
           "program)\n"
           "  --sample DIR          sample data: catalogue, accounts, news, screenshots, updates\n"
           "                        (default: the service folder beside the program)\n"
           "  --games DIR           the operator's games: game files and catalogue.txt (default:\n"
           "                        SAMPLE/games when it exists)\n"
           "  --http-port N         HTTP port (default 80; 0 picks a free port)\n"
           "  --game-port N         game server port (default 11001; 0 picks a free port)\n"
           "  --host NAME           host name written into pages and messages (default localhost)\n"
           "  --bind ADDR           address to listen on (default 127.0.0.1)\n"
           "  --request-log FILE    every raw HTTP request as received (default "
           "DATA/requests.log)\n"
           "  --game-log FILE       every raw byte the game server received (default "
           "DATA/game_requests.log)\n"
           "  --session-timeout S   seconds without contact before a play session ends (default "
           "150)\n"
           "  --io-timeout-ms N     longest wait for a client's next bytes (default 30000)\n"
           "  --hold-ms N           longest hold of never_reply / keep_open connections (default "
           "60000)\n"
           "  --memory-cache-mib N  compressed images kept in memory (default 384); compressed\n"
           "                        real games are also kept in DATA/compressed\n"
           "  --fault NAME[=VALUE]  switch a fault on (repeatable): delay_ms=N, "
           "close_before_reply,\n"
           "                        never_reply, garbage, keep_open, truncate_game=N, "
           "refuse_logins,\n"
           "                        user_in_use=N, game_error=TEXT, session_invalid, "
           "version=TEXT,\n"
           "                        manifest=TEXT, signature=TEXT, update_file=MODE,\n"
           "                        update_file_only=NAME, truncate_save=N, refuse_saves\n"
           "  --saves USER SAVE     list the kept versions of USER's save SAVE (1 the newest), "
           "then end\n"
           "  --restore-save USER SAVE N\n"
           "                        make version N of that save the current one, then end\n"
           "  --export-save USER SAVE N\n"
           "                        write version N of that save to standard output, then end\n"
           "  --sign-update DIR --key FILE --release N [--location NAME] [--expires DATE]\n"
           "                        write DIR/signature.txt for the update folder DIR (location:\n"
           "                        DIR's name) as release N, good through DATE (YYYY-MM-DD,\n"
           "                        default a year on), with the private key in FILE, then end\n"
           "  --next-key PUBFILE    with --sign-update: hand clients over to the key whose public\n"
           "                        key file (update_public_key.hex) is PUBFILE\n"
           "  --test-hooks          serve /control and /test/* and log requests unredacted (tests\n"
           "                        and scripts/run.sh only; without it: production mode)\n"
           "  --password-cost C     cost of new password hashes: moderate (default), interactive,\n"
           "                        min (tests only)\n"
           "  --login-lock-ms N     first lock-out after failed logins, doubled by each later\n"
           "                        failure (default 1000)\n"
           "  --max-connections N   open connections per port (default 512)\n"
           "  --max-connections-per-address N\n"
           "                        open connections per port from one address (default 128)\n"
           "  --login-deadline-ms N a game login's name and password arrive within N ms\n"
           "                        (default 5000)\n"
           "  --command-deadline-ms N\n"
           "                        a game command's tokens arrive within N ms (default 10000)\n"
           "  --save-quota-saves N  saves one account (or one guest play) may hold (default 100)\n"
           "  --save-quota-kib N    their bytes with every kept version (default 65536)\n"
           "  --log-max-kib N       rotate a log once it passes N KiB (default 4096)\n"
           "  --log-keep N          rotated logs kept (default 3)\n"
           "  --add-user NAME --full|--free\n"
           "                        add or replace the account NAME in DATA/accounts.txt with the\n"
           "                        password read from standard input, then end\n"
           "  --help                this text\n"
           "The first line on standard output is \"rx_service listening http=PORT game=PORT\".\n";
}

}  // namespace rx::service
