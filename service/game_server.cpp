// rx_service's game server: NUL-ended tokens from the client, one reply per token, in lock step.
#include <atomic>
#include <charconv>
#include <functional>
#include <optional>

#include "service/logic/games_folder.h"
#include "service/servers.h"

namespace rx::service {
namespace {

constexpr std::size_t max_token = 1024;
constexpr std::size_t max_save =
    1u << 20;  // far above any console save; bounds what one upload may hold
constexpr std::size_t stream_chunk = 64 * 1024;
// Whole-exchange bounds beside the login's and a command's (options), so a client that trickles its
// bytes cannot hold a connection for long: a save's bytes either way, a whole game
// stream (the largest image at about 56 KB/s).
constexpr std::chrono::milliseconds save_bound{60000};
constexpr std::chrono::milliseconds stream_bound{600000};

std::atomic<std::uint64_t> connection_counter{0};

const char* const login_ok = "ok";
const char* const login_refused = "Incorrect Username or Password";
const char* const login_in_use = "Username in use login again to clear.";
const char* const taken_over = "Continued on another computer.";

// What a login attempt came to, decided on a hashing thread.
struct login_outcome {
    std::string answer;
    int kind = 0;
};

class game_connection : public connection {
  public:
    using connection::connection;
    ~game_connection() override {
        // Only when a failure on the loop dropped the connection without its end: the state must
        // not keep its socket number, which a new connection may soon reuse.
        if (!ended_ && !user_.empty()) state_.logout_connection(user_, id_);
    }

    void start() override { login(); }

  private:
    using token_step = std::function<void(std::optional<std::string>)>;
    using step = std::function<void(bool)>;

    // What follows a command's last reply: the next command, or the end when the reply failed.
    step go_on() {
        return [this](bool ok) {
            if (ok)
                next_command();
            else
                end();
        };
    }

    // The connection's end: its copy in flight and its login are given back on a worker (they
    // touch the state), then the socket closes.
    void end() {
        if (ended_) return;
        ended_ = true;
        // Bytes that never made a whole token are logged too: they may be what went wrong.
        if (secret_pending_ && !options_.test_hooks)
            state_.log_game("*", 1);
        else if (!input_.empty())
            state_.log_game(input_.data(), input_.size());
        input_.clear();
        off_loop<bool>(
            pools_.work,
            [&state = state_, user = user_, id = id_, copy = copy_pending_, session = session_] {
                if (copy) state.give_back_copy(session);
                if (!user.empty()) state.logout_connection(user, id);
                return true;
            },
            [this](bool) { finish(); });
    }

    void failed() override { end(); }

    // Next NUL-ended token; nullopt when the client closed, went silent too long or sent an
    // overlong one. Tokens are logged as they are taken, so the password token can be logged
    // masked.
    void token(token_step then, bool secret = false) {
        secret_pending_ = secret;
        const std::size_t nul = input_.find('\0');
        if (nul != std::string::npos) {
            std::string t = input_.substr(0, nul);
            if (secret && !options_.test_hooks)
                state_.log_game("*", 2);  // the mask and its NUL
            else
                state_.log_game(input_.data(), nul + 1);
            input_.erase(0, nul + 1);
            secret_pending_ = false;
            then(std::move(t));
            return;
        }
        if (input_.size() > max_token) {
            then(std::nullopt);
            return;
        }
        fill(wait_until(), [this, secret, then = std::move(then)](bool more) mutable {
            if (more)
                token(std::move(then), secret);
            else
                then(std::nullopt);
        });
    }

    // Exactly `n` raw bytes (save data, which carries no NUL ending).
    void raw(std::size_t n, std::function<void(std::optional<std::string>)> then) {
        if (input_.size() >= n) {
            std::string out = input_.substr(0, n);
            state_.log_game(input_.data(), n);
            input_.erase(0, n);
            then(std::move(out));
            return;
        }
        fill(wait_until(), [this, n, then = std::move(then)](bool more) mutable {
            if (more)
                raw(n, std::move(then));
            else
                then(std::nullopt);
        });
    }

    // Sets the deadline of what the client must send next (or take, for a save or a game).
    void bound(std::chrono::milliseconds within) { deadline_ = steady_clock::now() + within; }

    // How long the next wait may last: the single wait's bound or what is left of the exchange's,
    // whichever is sooner.
    steady_clock::time_point wait_until() const {
        return std::min(deadline_,
                        steady_clock::now() + std::chrono::milliseconds(options_.io_timeout_ms));
    }

    // One reply, sent as one piece without a NUL (the client reads one receive as the reply text).
    void reply(std::string text, step then) {
        const fault_settings f = faults();
        auto go = [this, f, text = std::move(text), then = std::move(then)]() mutable {
            if (f.close_before_reply) {
                then(false);
            } else if (f.never_reply) {
                hold(std::chrono::milliseconds(options_.hold_ms), [then] { then(false); });
            } else {
                send(std::move(text), std::chrono::milliseconds(options_.io_timeout_ms),
                     std::move(then));
            }
        };
        if (f.delay_ms > 0) {
            const std::chrono::milliseconds delay(f.delay_ms);
            pause(delay, [this, delay, go = std::move(go)]() mutable {
                // The delay is the service's own: the client's time to answer starts after it.
                deadline_ += delay;
                go();
            });
        } else {
            go();
        }
    }

    void login() {
        // The name and the password arrive within the login's bound; the check itself (which may
        // wait its turn for a while) is not the client's time.
        bound(std::chrono::milliseconds(options_.login_deadline_ms));
        token([this](std::optional<std::string> user) {
            if (!user) return end();
            reply("ok", [this, user = *user](bool sent) {
                if (!sent) return end();
                token(
                    [this, user](std::optional<std::string> password) {
                        if (!password) return end();
                        check(user, *password);
                    },
                    true);
            });
        });
    }

    void check(const std::string& user, const std::string& password) {
        const bool refuse = faults().refuse_logins;
        off_loop<login_outcome>(
            pools_.hashing,
            [&state = state_, user, password, address = address_, id = id_,
             fd = socket_.native_handle(), refuse] {
                login_outcome o;
                o.kind = state.check_login(user, password, address);
                if (refuse || o.kind == 0)
                    o.answer = login_refused;
                else if (state.take_user_in_use())
                    o.answer = login_in_use;
                else if (state.login_conflicts(user, id, fd))
                    o.answer = login_in_use;
                else
                    o.answer = login_ok;
                return o;
            },
            [this, user](login_outcome o) {
                const bool in = o.answer == login_ok;
                // Logged in (and counted as the user's connection) from here on, so the end
                // logs out whatever follows.
                if (in) {
                    user_ = user;
                    free_account_ = o.kind == 1;
                }
                reply(o.answer, [this, in](bool sent) {
                    if (!sent) return end();
                    if (!in) return login();  // the client may try again on this connection
                    bound(std::chrono::milliseconds(options_.login_deadline_ms));
                    // The client's address token: taken, not checked.
                    token([this](std::optional<std::string> address) {
                        if (!address) return end();
                        reply("ok", go_on());
                    });
                });
            });
    }

    void next_command() {
        // A connection may wait between commands as long as for any single read.
        bound(std::chrono::milliseconds(options_.io_timeout_ms));
        token([this](std::optional<std::string> command) {
            if (!command) return end();
            bound(std::chrono::milliseconds(options_.command_deadline_ms));
            if (*command == "id") {
                off_loop<std::string>(
                    pools_.work,
                    [&state = state_, user = user_] { return state.new_session(user); },
                    [this](std::string id) {
                        session_ = id;
                        reply(session_, go_on());
                    });
            } else if (*command == "op") {
                open_game();
            } else if (*command == "pl") {
                play();
            } else if (*command == "sv") {
                save();
            } else if (*command == "ld") {
                load();
            } else if (*command == "cl") {
                end();
            } else {
                reply("Unknown command.", go_on());
            }
        });
    }

    void open_game() {
        reply("ok", [this](bool sent) {
            if (!sent) return end();
            token([this](std::optional<std::string> name) {
                if (!name) return end();
                const fault_settings f = faults();
                if (f.game_error) return reply(*f.game_error, go_on());
                const game_record* game = state_.find_game(*name);
                if (!game) return reply("Game not found.", go_on());
                using taken = std::pair<open_result, std::string>;
                off_loop<taken>(
                    pools_.work,
                    [&state = state_, session = session_, user = user_, game,
                     free = free_account_]() mutable {
                        const open_result r = state.take_copy(session, user, *game, free);
                        return taken{r, session};
                    },
                    [this, game, f](taken t) {
                        session_ = t.second;
                        switch (t.first) {
                            case open_result::ok:
                                break;
                            case open_result::all_in_play:
                                return reply("All copies are in play.", go_on());
                            case open_result::full_only:
                                return reply("This game is only available to full accounts.",
                                             go_on());
                            case open_result::not_found:
                                return reply("Game not found.", go_on());
                        }
                        // A copy that never reaches the player is free again at once (at the
                        // end) rather than after the time-out.
                        copy_pending_ = true;
                        reply("ok", [this, game, f](bool ok) {
                            if (!ok) return end();
                            token([this, game, f](std::optional<std::string> t) {
                                if (!t) return end();
                                stream(*game, f);
                            });
                        });
                    });
            });
        });
    }

    void stream(const game_record& game, const fault_settings& f) {
        off_loop<image_bytes>(
            pools_.work, [&state = state_, &game] { return state.compressed_image(game); },
            [this, f](image_bytes image) {
                // Compressing may have taken a while: that was the service's time, not the
                // client's.
                bound(std::chrono::milliseconds(options_.command_deadline_ms));
                reply(std::to_string(image->size()), [this, f, image](bool sent) {
                    if (!sent) return end();
                    token([this, f, image](std::optional<std::string> t) {
                        if (!t) return end();
                        bound(stream_bound);
                        std::size_t limit = image->size();
                        if (f.truncate_game >= 0 &&
                            static_cast<unsigned long long>(f.truncate_game) < limit)
                            limit = static_cast<std::size_t>(f.truncate_game);
                        const bool whole = limit == image->size();
                        send(image, reinterpret_cast<const char*>(image->data()), limit,
                             std::chrono::milliseconds(options_.io_timeout_ms), deadline_,
                             [this, whole](bool sent_all) {
                                 if (!sent_all || !whole) return end();
                                 copy_pending_ = false;
                                 next_command();
                             });
                    });
                });
            });
    }

    static bool valid_save_name(const std::string& name) {
        if (name.empty() || name.size() > max_save_name) return false;
        for (unsigned char c : name)
            if (c < 0x20 || c == 0x7f) return false;
        return true;
    }

    // The next token as a save's file name; a name unfit for a file is refused with "Bad file
    // name." and ends the exchange.
    void save_name(std::function<void(std::string)> then) {
        token([this, then = std::move(then)](std::optional<std::string> name) {
            if (!name) return end();
            if (!valid_save_name(*name)) return reply("Bad file name.", [this](bool) { end(); });
            then(*name);
        });
    }

    void save() {
        reply("ok", [this](bool sent) {
            if (!sent) return end();
            token([this](std::optional<std::string> size_text) {
                if (!size_text) return end();
                std::size_t size = 0;
                const auto [ptr, ec] =
                    std::from_chars(size_text->data(), size_text->data() + size_text->size(), size);
                if (ec != std::errc() || ptr != size_text->data() + size_text->size() ||
                    size > max_save)
                    return reply("Bad save size.", [this](bool) { end(); });
                reply("ok", [this, size](bool ok) {
                    if (!ok) return end();
                    save_name([this, size](std::string name) {
                        reply("ok", [this, size, name](bool ok) {
                            if (!ok) return end();
                            // A save that does not arrive whole is dropped; the stored one stays
                            // as it was.
                            bound(save_bound);
                            raw(size, [this, name](std::optional<std::string> data) {
                                if (!data) return end();
                                store(name, std::move(*data));
                            });
                        });
                    });
                });
            });
        });
    }

    // The outcome follows the bytes. Clients that do not read it send "cl" at once; the reply then
    // waits unread until the connection closes.
    void store(const std::string& name, std::string data) {
        const bool refuse = faults().refuse_saves;
        off_loop<std::string>(
            pools_.work,
            [&state = state_, user = user_, play = play_, session = own_session(), name,
             data = std::move(data), refuse]() -> std::string {
                if (!play.empty() && !state.play_is_newest(user, play)) return taken_over;
                if (refuse || !state.store_save(user, session, name, data))
                    return "Save not stored.";
                return "ok";
            },
            [this](std::string answer) { reply(answer, go_on()); });
    }

    // The play session this connection's saves belong to (what the guest account's saves are
    // kept by): the one it named, else the one it opened.
    const std::string& own_session() const { return play_.empty() ? session_ : play_; }

    // "pl" and the session id of the play the stores on this connection belong to. A play that a
    // newer one of the same game by the same account replaced is told so at once; its stores are
    // refused.
    void play() {
        reply("ok", [this](bool sent) {
            if (!sent) return end();
            token([this](std::optional<std::string> id) {
                if (!id) return end();
                play_ = *id;
                off_loop<bool>(
                    pools_.work,
                    [&state = state_, user = user_, play = play_] {
                        return state.play_is_newest(user, play);
                    },
                    [this](bool newest) { reply(newest ? "ok" : taken_over, go_on()); });
            });
        });
    }

    void load() {
        reply("ok", [this](bool sent) {
            if (!sent) return end();
            save_name([this](std::string name) {
                reply("ok", [this, name](bool ok) {
                    if (!ok) return end();
                    token([this, name](std::optional<std::string> t) {
                        if (!t) return end();
                        off_loop<std::string>(
                            pools_.work,
                            [&state = state_, user = user_, session = own_session(), name] {
                                return state.load_save(user, session, name).value_or(std::string());
                            },
                            [this](std::string data) { send_save(std::move(data)); });
                    });
                });
            });
        });
    }

    void send_save(std::string bytes) {
        auto data = std::make_shared<const std::string>(std::move(bytes));
        reply(std::to_string(data->size()), [this, data](bool sent) {
            if (!sent) return end();
            token([this, data](std::optional<std::string> t) {
                if (!t) return end();
                bound(save_bound);
                const long long cut = faults().truncate_save;
                const auto per_wait = std::chrono::milliseconds(options_.io_timeout_ms);
                if (cut >= 0 && static_cast<unsigned long long>(cut) < data->size()) {
                    // A load cut short: part of the save, then the connection closes.
                    send(data, data->data(), static_cast<std::size_t>(cut), per_wait, deadline_,
                         [this](bool) { end(); });
                    return;
                }
                send(data, data->data(), data->size(), per_wait, deadline_, go_on());
            });
        });
    }

    std::uint64_t id_ = ++connection_counter;
    steady_clock::time_point deadline_;
    bool secret_pending_ = false;  // the bytes in input_ are the start of a password
    bool copy_pending_ = false;    // a copy taken for a stream that has not reached the client
    bool ended_ = false;
    std::string user_;
    std::string session_;
    std::string play_;  // the session id the client named with "pl"; empty: not named
    bool free_account_ = true;
};

}  // namespace

std::shared_ptr<connection> make_game_connection(service_state& state, worker_pools& pools,
                                                 asio::ip::tcp::socket socket,
                                                 connection_caps& caps, std::string address) {
    return std::make_shared<game_connection>(state, pools, std::move(socket), caps,
                                             std::move(address));
}

}  // namespace rx::service
