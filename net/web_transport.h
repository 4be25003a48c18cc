// One HTTP GET on a fresh TCP connection, as the browser and the updater talk to the service.
#pragma once
#include <SDL_net.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/service_config.h"

namespace rx::web {

enum class receive_mode {
    none,    // send only (logout)
    marker,  // until a receive completes "||EOL", or the server closes
    close,   // until the server closes
    raw,     // bytes as they come, NUL bytes kept, at most raw_limit
};

inline constexpr std::size_t request_buffer_size = 512;
inline constexpr std::size_t raw_limit = 524288;
// The marker and close modes hold at most this many bytes of text; a longer reply fails.
inline constexpr std::size_t text_limit = 2 * 1024 * 1024;
// A server silent this long fails the exchange instead of freezing the caller.
inline constexpr unsigned default_silence_ms = 15000;
// However the server trickles its bytes, the reply must be complete this long after the request.
inline constexpr unsigned default_deadline_ms = 60000;

struct request {
    config::endpoint host;  // the name goes in the Host line even when the fallback is used
    std::string target;     // path and query as formatted from the endpoint's template
    std::string version = "HTTP/1.1";
    receive_mode mode = receive_mode::marker;
    std::size_t chunk_size = 2048;
    // Named operation ("login", "logout", ...) for the "Failure ... - op" lines; empty: SDL error
    // text only.
    std::string operation;
    // check_version reports a failed connection in three lines.
    bool three_line_open_failure = false;
    // Also bounds the connect: a peer that never answers fails the exchange after this long.
    unsigned silence_ms = default_silence_ms;
    // Bounds the whole receive, in every mode.
    unsigned deadline_ms = default_deadline_ms;
};

struct reply {
    // false on failures of resolve, connect, send, and on a timeout, the deadline or an overflow
    bool ok = false;
    std::string text;     // the raw reply: status line, headers and body
    int last_result = 0;  // result of the last receive (the game list treats -1 as failure)
};

// Where failure lines go: the browser's and the updater's own error logs.
using log_sink = std::function<void(std::string_view)>;

// The request's exact text: "GET target version\nHost: name\n\n" (without the trailing NUL, which
// is sent too).
std::string format_request(const request& req);

reply http_get(const request& req, const log_sink& log);

// Steps 1 to 3 only (resolve, connect, send); the caller reads the reply itself and closes the
// socket.
TCPsocket open_and_send(const request& req, const log_sink& log);

// A reply the caller reads itself (the updater's downloads): the request is sent on construction,
// every wait for bytes is bounded by the request's silence_ms, and the connection closes with the
// object.
class reply_stream {
  public:
    static constexpr int closed = 0;
    static constexpr int receive_error = -1;
    static constexpr int silent = -2;

    reply_stream(const request& req, const log_sink& log);
    ~reply_stream();
    reply_stream(const reply_stream&) = delete;
    reply_stream& operator=(const reply_stream&) = delete;

    // False when resolving, connecting or sending failed.
    bool ok() const { return set_ != nullptr; }
    // The number of bytes received (at most `capacity`), `closed` when the server ended the reply,
    // `receive_error`, or `silent` when nothing arrived within silence_ms.
    int receive(char* buffer, int capacity) { return receive(buffer, capacity, silence_ms_); }
    // As above with a shorter wait of the caller's (a deadline that comes before the silence
    // rule); `silent` then means nothing arrived within `wait_ms`.
    int receive(char* buffer, int capacity, unsigned wait_ms);

  private:
    TCPsocket socket_ = nullptr;
    SDLNet_SocketSet set_ = nullptr;
    unsigned silence_ms_;
};

}  // namespace rx::web
