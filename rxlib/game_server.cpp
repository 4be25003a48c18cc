// rxlib's conversations with the game server (start-up, saves, loads) and its requests to the web
// host.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/service_config.h"
#include "platform/thread.h"
#include "rxlib/library_state.h"
#include "rxlib/logic/game_session.h"
#include "rxlib/logic/protocol.h"
#include "rxlib/net.h"
#include "rxlib/window.h"

namespace rx::lib {
namespace {

// The largest compressed image the server may announce: zlib cannot fit a larger stream into the
// inflate buffer.
const std::size_t max_compressed = inflate_limit + inflate_limit / 1000 + 4096;

// A game server connection speaking the NUL-terminated token protocol.
class game_connection final : public game_channel {
  public:
    explicit game_connection(std::unique_ptr<net::link> link) : link_(std::move(link)) {}

    // Runs while the download waits for data, so the window stays responsive to Cancel and Pause.
    std::function<void()> while_waiting;

    bool send_token(std::string_view text) override { return send(text, text); }
    // The log names the step instead of the password: the log is a plain file anyone may read or
    // attach to a report.
    bool send_secret(std::string_view text) override { return send(text, "(password)"); }

    std::optional<std::string> receive_reply() override {
        char reply[reply_buffer_size] = {};
        long count = link_->receive(reply, reply_buffer_size - 1, net::reply_timeout_ms);
        if (count < 1) {
            write_log("Failed to recv.");
            write_log(SDL_GetError());
            return std::nullopt;
        }
        return reply_text(reply, static_cast<std::size_t>(count));
    }

    bool send_bytes(const std::uint8_t* data, std::size_t size) override {
        return link_->send_bounded(data, size);
    }

    long receive_bytes(std::uint8_t* data, std::size_t size) override {
        if (while_waiting) return link_->receive(data, size, net::download_stall_ms, while_waiting);
        return link_->receive(data, size, net::reply_timeout_ms);
    }

  private:
    bool send(std::string_view text, std::string_view shown) {
        std::vector<char> token(text.begin(), text.end());
        token.push_back('\0');
        if (link_->send(token.data(), token.size())) return true;
        write_log("Failed to send.");
        write_log(shown);
        write_log(SDL_GetError());
        return false;
    }

    std::unique_ptr<net::link> link_;
};

using clock = std::chrono::steady_clock;

double seconds_since(clock::time_point start) {
    return std::chrono::duration<double>(clock::now() - start).count();
}

startup_timings timings;

// Drives the loading window from the conversation. The progress values follow every chunk, but the
// window is redrawn at most once per display frame (and at the last chunk): a redraw per 4 KiB
// chunk would hold up the transfer far more than the screen can show.
class window_observer final : public session_observer {
  public:
    void status(std::string_view text) override {
        window::set_status(std::string(text));
        window::draw();
    }
    void show_progress() override {
        window::show_progress();
        transfer_start_ = clock::now();
        timings.compressed_size = 0;
    }
    void progress(std::uint32_t received, std::uint32_t total) override {
        window::set_progress(received, total);
        window::pump_events();
        Uint32 now = SDL_GetTicks();
        if (received == total || now - last_draw_ >= 16) {
            clock::time_point draw_start = clock::now();
            window::draw();
            timings.drawing += seconds_since(draw_start);
            last_draw_ = now;
        }
        if (received == total) {
            timings.transfer = seconds_since(transfer_start_);
            timings.compressed_size = total;
            inflate_start_ = clock::now();
        }
    }
    clock::time_point inflate_start() const { return inflate_start_; }
    void wait_ms(unsigned ms) override { platform::sleep_ms(ms); }
    void log(std::string_view text) override { write_log(text); }
    std::string error_text() override { return SDL_GetError(); }

  private:
    Uint32 last_draw_ = 0;
    clock::time_point transfer_start_ = clock::now();
    clock::time_point inflate_start_ = clock::now();
};

// The quiet observer of saves and loads: they show nothing.
class log_observer final : public session_observer {
  public:
    void log(std::string_view text) override { write_log(text); }
    std::string error_text() override { return SDL_GetError(); }
};

std::unique_ptr<game_connection> open_connection() {
    IPaddress address{};
    std::uint16_t port = config::game_port();
    if (!net::resolve(session().host, port, address)) {
        write_log("Unable to resolve host.");
        write_log(SDL_GetError());
        return nullptr;
    }
    std::unique_ptr<net::link> link = net::link::open(address);
    if (!link) {
        write_log("Unable to open socket.");
        write_log(SDL_GetError());
        return nullptr;
    }
    return std::make_unique<game_connection>(std::move(link));
}

// Saves and loads each run on a connection of their own, logged in again with the session's
// account (keeping the session id the game was opened with); null after a logged failure.
std::unique_ptr<game_connection> logged_in_connection(log_observer& observer) {
    std::unique_ptr<game_connection> connection = open_connection();
    if (!connection) return nullptr;
    std::string unused;
    session_record& record = session();
    if (!login(*connection, observer, record.user_name, record.password, false, unused))
        return nullptr;
    return connection;
}

// Opens a connection to the web host and sends one request; null after a failure, which is logged
// as "<op> - <step> Failed" when `op` is given.
std::unique_ptr<net::link> send_web_request(web_request kind, const char* op) {
    auto fail = [op](const char* step) {
        if (op) write_log(std::string(op) + " - " + step + " Failed");
        return nullptr;
    };
    config::endpoint web = config::web_host();
    IPaddress address{};
    if (!net::resolve(web.host, web.port, address)) return fail("SDLNet_ResolveHost");
    std::optional<std::string> request =
        build_web_request(kind, session().user_name, session().session_id, web.host);
    if (!request) {
        if (op) write_log(std::string(op) + " - request too long");
        return nullptr;
    }
    std::unique_ptr<net::link> link = net::link::open(address);
    if (!link) return fail("SDLNet_TCP_Open");
    if (!link->send(request->c_str(), request->size() + 1)) return fail("SDLNet_TCP_Send");
    return link;
}

bool game_opened = false;

// A finished save or load closes its connection, gives the service a second, then reports the
// session alive.
void end_exchange(std::unique_ptr<game_connection> connection) {
    connection.reset();
    platform::sleep_ms(1000);
    assert_alive();
}

}  // namespace

const startup_timings& last_startup_timings() {
    return timings;
}

bool open_game() {
    timings = {};
    clock::time_point start = clock::now();
    window_observer observer;
    observer.status("Openning Connection");
    std::unique_ptr<game_connection> connection = open_connection();
    if (!connection) return false;
    observer.status("Logging in");
    session_record& record = session();
    if (!login(*connection, observer, record.user_name, record.password, true, record.session_id))
        return false;
    observer.status("Loading Game");
    connection->while_waiting = [] { window::pump_events(); };
    timings.connect_login = seconds_since(start);
    std::optional<game_image> image =
        download_game(*connection, observer, record.game_name, inflate_limit, max_compressed);
    if (!image) return false;
    timings.inflate = seconds_since(observer.inflate_start());
    connection.reset();
    game_size() = image->size;
    record.game_location = image->data.release();
    game_opened = true;
    if (!start_monitor()) fatal("Failed the start thread.", "Monitor");
    return true;
}

void save_game(const char* file_name, const char* save_name) {
    save_status() = static_cast<std::int32_t>(save_outcome::not_sent);
    if (!file_name || !save_name) return;
    std::optional<std::string> path = save_path(executable_folder(), file_name);
    if (!path) {
        write_log("Save path too long.");
        write_log(file_name);
        return;
    }
    std::FILE* file = std::fopen(path->c_str(), "rb");
    if (!file) return;
    // One byte more than the buffer tells a file that would not fit from one that fills it exactly.
    std::vector<std::uint8_t> data(save_buffer_size + 1);
    std::size_t size = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);
    if (size > save_buffer_size) {
        write_log("Save file too large.");
        write_log(file_name);
        return;
    }
    if (size == 0) return;

    save_status() = static_cast<std::int32_t>(save_outcome::failed);
    log_observer observer;
    std::unique_ptr<game_connection> connection = logged_in_connection(observer);
    if (!connection) return;
    save_outcome outcome =
        save_exchange(*connection, observer, save_name, data.data(), size, session().session_id);
    save_status() = static_cast<std::int32_t>(outcome);
    if (outcome == save_outcome::failed) return;
    end_exchange(std::move(connection));
}

void load_game(const char* file_name) {
    load_status() = static_cast<std::int32_t>(load_outcome::failed);
    std::memset(load_buffer(), 0, save_buffer_size);
    if (!file_name) return;
    log_observer observer;
    std::unique_ptr<game_connection> connection = logged_in_connection(observer);
    if (!connection) {
        write_log("Save load failed.");
        write_log(file_name);
        return;
    }
    load_result result =
        load_exchange(*connection, observer, file_name, load_buffer(), save_buffer_size);
    if (result.size) load_size() = static_cast<std::int32_t>(*result.size);
    load_status() = static_cast<std::int32_t>(result.outcome);
    if (result.outcome == load_outcome::failed) {
        write_log("Save load failed.");
        write_log(file_name);
    }
    if (!result.completed) return;
    end_exchange(std::move(connection));
}

bool assert_alive() {
    std::unique_ptr<net::link> link = send_web_request(web_request::assert_alive, "assert_alive");
    if (!link) return false;
    char reply[http_buffer_size] = {};
    if (link->receive(reply, http_buffer_size - 1, net::web_timeout_ms) < 1) {
        write_log("assert_alive - SDLNet_TCP_Recv Failed");
        return false;
    }
    return true;
}

void free_game() {
    // Only a game this process opened is handed back, and only once.
    if (!game_opened) return;
    game_opened = false;
    std::unique_ptr<net::link> link = send_web_request(web_request::free_game, nullptr);
    if (!link) return;
    char reply[http_buffer_size] = {};
    link->receive(reply, http_buffer_size - 1, net::web_timeout_ms);
}

bool check_connection(const std::string& user_name, const std::string& session_id) {
    const char* op = "check_connection";
    config::endpoint web = config::web_host();
    IPaddress address{};
    if (!net::resolve(web.host, web.port, address)) {
        write_log(std::string(op) + " - SDLNet_ResolveHost Failed");
        return false;
    }
    std::optional<std::string> request =
        build_web_request(web_request::check_connection, user_name, session_id, web.host);
    if (!request) {
        write_log(std::string(op) + " - request too long");
        return false;
    }
    std::unique_ptr<net::link> link = net::link::open(address);
    if (!link) {
        write_log(std::string(op) + " - SDLNet_TCP_Open Failed");
        return false;
    }
    if (!link->send(request->c_str(), request->size() + 1)) {
        write_log(std::string(op) + " - SDLNet_TCP_Send Failed");
        return false;
    }
    std::string reply;
    for (;;) {
        char chunk[http_buffer_size] = {};
        long count = link->receive(chunk, http_buffer_size - 1, net::web_timeout_ms);
        if (count < 1) break;
        reply += reply_text(chunk, static_cast<std::size_t>(count));
        // The page is a few lines; a host that streams without end is judged on what it has sent so
        // far.
        if (reply.size() > 65536) break;
    }
    link.reset();
    if (connection_reply_ok(reply)) return true;
    write_log("Invalid Reply:");
    write_log(reply);
    return false;
}

}  // namespace rx::lib
