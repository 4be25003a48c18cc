// rx_service's game server: NUL-ended tokens from the client, one reply per token, in lock step.
#include <atomic>
#include <charconv>
#include <thread>

#include "service/logic/games_folder.h"
#include "service/net.h"
#include "service/servers.h"

namespace rx::service {
namespace {

constexpr std::size_t max_token = 1024;
constexpr std::size_t max_save =
    1u << 20;  // far above any console save; bounds what one upload may hold
constexpr std::size_t stream_chunk = 64 * 1024;
// Whole-exchange bounds beside the login's and a command's (options), so a client that trickles its
// bytes cannot hold a connection (and its thread) for long: a save's bytes either way, a whole game
// stream (the largest image at about 56 KB/s).
constexpr std::chrono::milliseconds save_bound{60000};
constexpr std::chrono::milliseconds stream_bound{600000};

std::atomic<std::uint64_t> connection_counter{0};

const char* const login_ok = "ok";
const char* const login_refused = "Incorrect Username or Password";
const char* const login_in_use = "Username in use login again to clear.";
const char* const taken_over = "Continued on another computer.";

class game_connection {
  public:
    game_connection(service_state& state, int fd)
        : state_(state), fd_(fd), options_(state.options()), address_(peer_address(fd)) {}

    void run() {
        if (login()) commands();
        if (!user_.empty()) state_.logout_connection(user_, id_);
        // Bytes that never made a whole token are logged too: they may be what went wrong.
        if (secret_pending_ && !options_.test_hooks)
            state_.log_game("*", 1);
        else if (!buffer_.empty())
            state_.log_game(buffer_.data(), buffer_.size());
        finish_connection(fd_);
    }

  private:
    // Next NUL-ended token; nullopt when the client closed, went silent too long or sent an
    // overlong one.
    // Tokens are logged as they are taken, so the password token can be logged masked.
    std::optional<std::string> token(bool secret = false) {
        secret_pending_ = secret;
        while (true) {
            const std::size_t nul = buffer_.find('\0');
            if (nul != std::string::npos) {
                std::string t = buffer_.substr(0, nul);
                if (secret && !options_.test_hooks)
                    state_.log_game("*", 2);  // the mask and its NUL
                else
                    state_.log_game(buffer_.data(), nul + 1);
                buffer_.erase(0, nul + 1);
                secret_pending_ = false;
                return t;
            }
            if (buffer_.size() > max_token || !fill()) return std::nullopt;
        }
    }

    // Exactly `n` raw bytes (save data, which carries no NUL ending).
    bool raw(std::size_t n, std::string& out) {
        while (buffer_.size() < n)
            if (!fill()) return false;
        out = buffer_.substr(0, n);
        state_.log_game(buffer_.data(), n);
        buffer_.erase(0, n);
        return true;
    }

    // Sets the deadline of what the client must send next (or take, for a save or a game).
    void bound(std::chrono::milliseconds within) {
        deadline_ = std::chrono::steady_clock::now() + within;
    }

    // How long the next wait may last: the single wait's bound or what is left of the exchange's,
    // whichever is shorter; 0 once the exchange's time is up.
    int wait_ms() const {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline_ - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return 0;
        return static_cast<int>(std::min<long long>(left, options_.io_timeout_ms));
    }

    bool send_bounded(const char* data, std::size_t size) {
        const int wait = wait_ms();
        return wait > 0 && send_all(fd_, data, size, wait);
    }

    bool fill() {
        char chunk[8192];
        const int wait = wait_ms();
        if (wait <= 0) return false;
        const long n = receive_some(fd_, chunk, sizeof chunk, wait);
        if (n <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    // One reply, sent as one piece without a NUL (the client reads one receive as the reply text).
    bool reply(const std::string& text) {
        const fault_settings faults = state_.faults();
        if (faults.delay_ms > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(faults.delay_ms));
            // The delay is the service's own: the client's time to answer starts after it.
            deadline_ += std::chrono::milliseconds(faults.delay_ms);
        }
        if (faults.close_before_reply) return false;
        if (faults.never_reply) {
            hold_connection(fd_, options_.hold_ms);
            return false;
        }
        return send_all(fd_, text, options_.io_timeout_ms);
    }

    bool login() {
        while (true) {
            // The name and the password arrive within the login's bound; the check itself (which
            // may wait its turn for a while) is not the client's time.
            bound(std::chrono::milliseconds(options_.login_deadline_ms));
            const auto user = token();
            if (!user || !reply("ok")) return false;
            const auto password = token(true);
            if (!password) return false;
            const fault_settings faults = state_.faults();
            const int kind = state_.check_login(*user, *password, address_);
            std::string answer;
            if (faults.refuse_logins || kind == 0)
                answer = login_refused;
            else if (state_.take_user_in_use())
                answer = login_in_use;
            else if (state_.login_conflicts(*user, id_, fd_))
                answer = login_in_use;
            else
                answer = login_ok;
            if (!reply(answer)) {
                if (answer == login_ok) state_.logout_connection(*user, id_);
                return false;
            }
            if (answer != login_ok) continue;  // the client may try again on this connection
            user_ = *user;
            free_account_ = kind == 1;
            bound(std::chrono::milliseconds(options_.login_deadline_ms));
            const auto address = token();  // the client's address token: taken, not checked
            return address && reply("ok");
        }
    }

    void commands() {
        while (true) {
            // A connection may wait between commands as long as for any single read.
            bound(std::chrono::milliseconds(options_.io_timeout_ms));
            const auto command = token();
            if (!command) return;
            bound(std::chrono::milliseconds(options_.command_deadline_ms));
            bool go_on = true;
            if (*command == "id") {
                session_ = state_.new_session(user_);
                go_on = reply(session_);
            } else if (*command == "op") {
                go_on = open_game();
            } else if (*command == "pl") {
                go_on = play();
            } else if (*command == "sv") {
                go_on = save();
            } else if (*command == "ld") {
                go_on = load();
            } else if (*command == "cl") {
                return;
            } else {
                go_on = reply("Unknown command.");
            }
            if (!go_on) return;
        }
    }

    bool open_game() {
        if (!reply("ok")) return false;
        const auto name = token();
        if (!name) return false;
        const fault_settings faults = state_.faults();
        if (faults.game_error) return reply(*faults.game_error);
        const game_record* game = state_.find_game(*name);
        if (!game) return reply("Game not found.");
        switch (state_.take_copy(session_, user_, *game, free_account_)) {
            case open_result::ok:
                break;
            case open_result::all_in_play:
                return reply("All copies are in play.");
            case open_result::full_only:
                return reply("This game is only available to full accounts.");
            case open_result::not_found:
                return reply("Game not found.");
        }
        bool delivered = false;
        try {
            delivered = reply("ok") && token() && stream(*game, faults);
        } catch (const std::exception&) {
            delivered = false;
        }
        // A copy that never reached the player is free again at once rather than after the
        // time-out.
        if (!delivered) state_.give_back_copy(session_);
        return delivered;
    }

    bool stream(const game_record& game, const fault_settings& faults) {
        const image_bytes image = state_.compressed_image(game);
        // Compressing may have taken a while: that was the service's time, not the client's.
        bound(std::chrono::milliseconds(options_.command_deadline_ms));
        if (!reply(std::to_string(image->size())) || !token()) return false;
        bound(stream_bound);
        std::size_t limit = image->size();
        if (faults.truncate_game >= 0 &&
            static_cast<unsigned long long>(faults.truncate_game) < limit)
            limit = static_cast<std::size_t>(faults.truncate_game);
        for (std::size_t sent = 0; sent < limit;) {
            const std::size_t n = std::min(stream_chunk, limit - sent);
            if (!send_bounded(reinterpret_cast<const char*>(image->data()) + sent, n)) return false;
            sent += n;
        }
        return limit == image->size();
    }

    static bool valid_save_name(const std::string& name) {
        if (name.empty() || name.size() > max_save_name) return false;
        for (unsigned char c : name)
            if (c < 0x20 || c == 0x7f) return false;
        return true;
    }

    // The next token as a save's file name; a name unfit for a file is refused with "Bad file
    // name." and ends the exchange.
    std::optional<std::string> save_name() {
        auto name = token();
        if (!name) return std::nullopt;
        if (!valid_save_name(*name)) {
            reply("Bad file name.");
            return std::nullopt;
        }
        return name;
    }

    bool save() {
        if (!reply("ok")) return false;
        const auto size_text = token();
        if (!size_text) return false;
        std::size_t size = 0;
        const auto [ptr, ec] =
            std::from_chars(size_text->data(), size_text->data() + size_text->size(), size);
        if (ec != std::errc() || ptr != size_text->data() + size_text->size() || size > max_save) {
            reply("Bad save size.");
            return false;
        }
        if (!reply("ok")) return false;
        const auto name = save_name();
        if (!name) return false;
        if (!reply("ok")) return false;
        std::string data;
        // A save that does not arrive whole is dropped; the stored one stays as it was.
        bound(save_bound);
        if (!raw(size, data)) return false;
        // The outcome follows the bytes. Clients that do not read it send "cl" at once; the
        // reply then waits unread until the connection closes.
        if (!play_.empty() && !state_.play_is_newest(user_, play_)) return reply(taken_over);
        if (state_.faults().refuse_saves || !state_.store_save(user_, own_session(), *name, data))
            return reply("Save not stored.");
        return reply("ok");
    }

    // The play session this connection's saves belong to (what the guest account's saves are
    // kept by): the one it named, else the one it opened.
    const std::string& own_session() const { return play_.empty() ? session_ : play_; }

    // "pl" and the session id of the play the stores on this connection belong to. A play that a
    // newer one of the same game by the same account replaced is told so at once; its stores are
    // refused.
    bool play() {
        if (!reply("ok")) return false;
        const auto id = token();
        if (!id) return false;
        play_ = *id;
        return reply(state_.play_is_newest(user_, play_) ? "ok" : taken_over);
    }

    bool load() {
        if (!reply("ok")) return false;
        const auto name = save_name();
        if (!name) return false;
        if (!reply("ok") || !token()) return false;
        const std::string data =
            state_.load_save(user_, own_session(), *name).value_or(std::string());
        if (!reply(std::to_string(data.size())) || !token()) return false;
        bound(save_bound);
        const long long cut = state_.faults().truncate_save;
        if (cut >= 0 && static_cast<unsigned long long>(cut) < data.size()) {
            // A load cut short: part of the save, then the connection closes.
            send_bounded(data.data(), static_cast<std::size_t>(cut));
            return false;
        }
        return send_bounded(data.data(), data.size());
    }

    service_state& state_;
    int fd_;
    std::uint64_t id_ = ++connection_counter;
    const service_options& options_;
    std::string address_;
    std::chrono::steady_clock::time_point deadline_;
    std::string buffer_;
    bool secret_pending_ = false;  // the bytes in buffer_ are the start of a password
    std::string user_;
    std::string session_;
    std::string play_;  // the session id the client named with "pl"; empty: not named
    bool free_account_ = true;
};

}  // namespace

void serve_game(service_state& state, int fd) {
    game_connection(state, fd).run();
}

}  // namespace rx::service
