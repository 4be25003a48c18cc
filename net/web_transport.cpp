// One HTTP GET per exchange over SDL_net: resolve (with the numeric fallback), connect, send,
// receive by mode.
#include "net/web_transport.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "net/tcp_connect.h"

namespace rx::web {
namespace {

void log_line(const log_sink& log, std::string_view text) {
    if (log) log(text);
}

// Names the exchange in lines about failures the service's own messages do not cover. The query is
// left out on purpose: it may carry the user's password.
std::string failure_subject(const request& req) {
    if (!req.operation.empty()) return req.operation;
    return req.target.substr(0, req.target.find('?'));
}

// Closes the socket and frees the set on every way out of the receive loop.
struct connection {
    TCPsocket socket = nullptr;
    SDLNet_SocketSet set = nullptr;
    ~connection() {
        if (set) SDLNet_FreeSocketSet(set);
        if (socket) SDLNet_TCP_Close(socket);
    }
};

enum class wait_result { ready, silent, error };

wait_result wait_readable(const connection& conn, unsigned silence_ms) {
    int ready = SDLNet_CheckSockets(conn.set, silence_ms);
    if (ready < 0) return wait_result::error;
    if (ready == 0 || !SDLNet_SocketReady(conn.socket)) return wait_result::silent;
    return wait_result::ready;
}

// Text modes keep each chunk only up to its first NUL byte.
void append_text(std::string& reply, const char* chunk, int received) {
    std::size_t length = strnlen(chunk, static_cast<std::size_t>(received));
    reply.append(chunk, length);
}

}  // namespace

std::string format_request(const request& req) {
    std::string text = "GET ";
    text += req.target;
    text += ' ';
    text += req.version;
    text += "\nHost: ";
    text += req.host.host;
    text += "\n\n";
    return text;
}

TCPsocket open_and_send(const request& req, const log_sink& log) {
    const std::string text = format_request(req);
    // The request and its terminating NUL must fit the 512-byte buffer; a cut request would reach
    // the service as a different question, so it is not sent at all.
    if (text.size() + 1 > request_buffer_size) {
        log_line(log, "Failure request too long - " + failure_subject(req));
        return nullptr;
    }

    IPaddress address{};
    if (!net::resolve_with_fallback(req.host.host, req.host.port, address, [&] {
            if (!req.operation.empty()) log_line(log, "Failure resolving host - " + req.operation);
        })) {
        log_line(log, SDL_GetError());
        return nullptr;
    }

    std::string open_error;
    TCPsocket socket = net::open_bounded(address, req.silence_ms, open_error);
    if (!socket) {
        if (req.three_line_open_failure) {
            log_line(log, "Failure opening socket -");
            log_line(log, open_error);
            log_line(log, " - " + req.operation);
        } else if (!req.operation.empty()) {
            log_line(log, "Failure opening socket - " + req.operation);
        }
        return nullptr;
    }

    std::vector<char> buffer(request_buffer_size, '\0');
    std::memcpy(buffer.data(), text.data(), text.size());
    const int length = static_cast<int>(text.size() + 1);
    // A peer that resets the connection makes this return short (SIGPIPE is ignored once SDL_net is
    // up).
    if (SDLNet_TCP_Send(socket, buffer.data(), length) < length) {
        if (!req.operation.empty()) log_line(log, "Failure sending data - " + req.operation);
        SDLNet_TCP_Close(socket);
        return nullptr;
    }
    return socket;
}

reply http_get(const request& req, const log_sink& log) {
    reply result;
    connection conn;
    conn.socket = open_and_send(req, log);
    if (!conn.socket) return result;
    if (req.mode == receive_mode::none) {
        result.ok = true;
        return result;
    }

    conn.set = SDLNet_AllocSocketSet(1);
    if (!conn.set || SDLNet_TCP_AddSocket(conn.set, conn.socket) < 0) {
        log_line(log, SDL_GetError());
        return result;
    }

    const std::size_t chunk_size =
        req.mode == receive_mode::raw ? 32768 : (req.chunk_size < 2 ? 2 : req.chunk_size);
    std::vector<char> chunk(chunk_size);
    // A host that keeps sending a little at a time never falls silent: the whole reply gets one
    // deadline, so the window it holds comes back.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(req.deadline_ms);
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        const auto left =
            now >= deadline
                ? 0
                : std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        const bool deadline_first = static_cast<unsigned long long>(left) < req.silence_ms;
        const unsigned wait_ms = deadline_first ? static_cast<unsigned>(left) : req.silence_ms;
        wait_result waited = left == 0 ? wait_result::silent : wait_readable(conn, wait_ms);
        switch (waited) {
            case wait_result::ready:
                break;
            case wait_result::silent:
                log_line(log, "Failure receiving data - " + failure_subject(req));
                result.last_result = -1;
                return result;
            case wait_result::error:
                result.last_result = -1;
                result.ok =
                    true;  // as a failed receive: the caller decides what a partial reply means
                return result;
        }

        // Only the bytes just received are read (the text scan is bounded by the count), so the
        // buffer is not cleared between reads.
        const int received =
            SDLNet_TCP_Recv(conn.socket, chunk.data(), static_cast<int>(chunk_size - 1));
        result.last_result = received;
        if (received < 0) break;

        if (req.mode == receive_mode::raw) {
            // The screenshot buffer holds raw_limit bytes; a larger reply is not decoded in part.
            if (result.text.size() + static_cast<std::size_t>(received) > raw_limit) {
                log_line(log, "Failure reply too large - " + failure_subject(req));
                result.text.clear();
                return result;
            }
            result.text.append(chunk.data(), static_cast<std::size_t>(received));
        } else {
            const std::size_t held = result.text.size();
            append_text(result.text, chunk.data(), received);
            // Text replies are a few kilobytes; one without end would grow until memory runs out.
            if (result.text.size() > text_limit) {
                log_line(log, "Failure reply too large - " + failure_subject(req));
                result.text.clear();
                result.last_result = -1;
                return result;
            }
            // Only the new bytes (and the marker's first four before them) can complete it.
            const std::size_t from = held > 4 ? held - 4 : 1;
            if (req.mode == receive_mode::marker &&
                result.text.find("||EOL", from) != std::string::npos)
                break;
        }
        if (received == 0) break;
    }
    result.ok = true;
    return result;
}

reply_stream::reply_stream(const request& req, const log_sink& log) : silence_ms_(req.silence_ms) {
    socket_ = open_and_send(req, log);
    if (!socket_) return;
    set_ = SDLNet_AllocSocketSet(1);
    if (!set_ || SDLNet_TCP_AddSocket(set_, socket_) < 0) {
        log_line(log, SDL_GetError());
        if (set_) SDLNet_FreeSocketSet(set_);
        set_ = nullptr;
    }
}

reply_stream::~reply_stream() {
    if (set_) SDLNet_FreeSocketSet(set_);
    if (socket_) SDLNet_TCP_Close(socket_);
}

int reply_stream::receive(char* buffer, int capacity, unsigned wait_ms) {
    if (!set_ || capacity <= 0) return receive_error;
    const int ready = SDLNet_CheckSockets(set_, wait_ms);
    if (ready < 0) return receive_error;
    if (ready == 0 || !SDLNet_SocketReady(socket_)) return silent;
    const int received = SDLNet_TCP_Recv(socket_, buffer, capacity);
    return received < 0 ? receive_error : received;
}

}  // namespace rx::web
