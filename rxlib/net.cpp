// Bounded TCP over SDL_net: blocking calls that might hang run on a helper thread the caller stops
// waiting for.
#include "rxlib/net.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "net/tcp_connect.h"
#include "platform/service_config.h"
#include "platform/thread.h"

namespace rx::lib::net {

struct link::shared {
    TCPsocket socket = nullptr;
    ~shared() {
        if (socket) SDLNet_TCP_Close(socket);
    }
};

namespace {

// The outcome of a blocking call on a helper thread; whichever of caller and helper is last frees
// it.
struct pending {
    std::mutex mutex;
    std::condition_variable done_signal;
    bool done = false;
    bool ok = false;
    std::string error;
};

bool wait_for(pending& p, unsigned timeout_ms) {
    std::unique_lock<std::mutex> lock(p.mutex);
    return p.done_signal.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                  [&] { return p.done; });
}

}  // namespace

bool resolve(const std::string& name, std::uint16_t port, IPaddress& address) {
    return rx::net::resolve_with_fallback(name, port, address);
}

link::link(std::shared_ptr<shared> socket) : socket_(std::move(socket)) {
    set_ = SDLNet_AllocSocketSet(1);
    if (set_) SDLNet_TCP_AddSocket(set_, socket_->socket);
}

link::~link() {
    if (set_) SDLNet_FreeSocketSet(set_);
}

std::unique_ptr<link> link::open(const IPaddress& address) {
    // SDL_net turns the wildcard address into a listening socket; it is never a server to talk to.
    if (address.host == INADDR_ANY || address.host == INADDR_NONE) {
        SDL_SetError("Invalid address");
        return nullptr;
    }
    std::string error;
    TCPsocket opened =
        rx::net::open_bounded(address, connect_timeout_ms, error, rx::net::without_thread::fail);
    if (!opened) {
        SDL_SetError("%s", error.c_str());
        return nullptr;
    }
    auto socket = std::make_shared<shared>();
    socket->socket = opened;
    return std::unique_ptr<link>(new link(socket));
}

bool link::send(const void* data, std::size_t size) {
    if (size == 0) return true;
    return SDLNet_TCP_Send(socket_->socket, data, static_cast<int>(size)) == static_cast<int>(size);
}

bool link::send_bounded(const void* data, std::size_t size) {
    if (size == 0) return true;
    auto result = std::make_shared<pending>();
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(
        static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    std::shared_ptr<shared> socket = socket_;
    bool started = platform::start_thread(
        [result, socket, bytes] {
            int sent =
                SDLNet_TCP_Send(socket->socket, bytes->data(), static_cast<int>(bytes->size()));
            std::lock_guard<std::mutex> lock(result->mutex);
            result->ok = sent == static_cast<int>(bytes->size());
            if (!result->ok) result->error = SDL_GetError();
            result->done = true;
            result->done_signal.notify_all();
        },
        platform::thread_priority::normal);
    if (!started) return send(data, size);
    if (!wait_for(*result, bulk_send_timeout_ms)) {
        SDL_SetError("Send timed out");
        return false;
    }
    if (!result->ok) SDL_SetError("%s", result->error.c_str());
    return result->ok;
}

long link::receive(void* data, std::size_t size, unsigned timeout_ms,
                   const std::function<void()>& while_waiting) {
    if (!set_) return -1;
    constexpr unsigned slice_ms = 20;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int ready = SDLNet_CheckSockets(set_, while_waiting ? slice_ms : timeout_ms);
        if (ready == -1) return -1;
        if (ready > 0 && SDLNet_SocketReady(socket_->socket)) break;
        if (while_waiting) while_waiting();
        if (std::chrono::steady_clock::now() >= deadline) {
            SDL_SetError("Timed out waiting for the server");
            return -1;
        }
    }
    int count = SDLNet_TCP_Recv(socket_->socket, data, static_cast<int>(size));
    return count < 0 ? -1 : count;
}

}  // namespace rx::lib::net
