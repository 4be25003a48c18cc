// The bounded connect on a helper thread and the resolve with the fallback address.
#include "net/tcp_connect.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/service_config.h"
#include "platform/thread.h"

namespace rx::net {

bool resolve_with_fallback(const std::string& host, std::uint16_t port, IPaddress& address,
                           const std::function<void()>& on_failure) {
    if (SDLNet_ResolveHost(&address, host.c_str(), port) != -1) return true;
    if (on_failure) on_failure();
    const std::string fallback = config::fallback_address();
    return SDLNet_ResolveHost(&address, fallback.c_str(), port) != -1;
}

TCPsocket open_bounded(const IPaddress& address, unsigned timeout_ms, std::string& error,
                       without_thread fallback) {
    // Whichever of caller and helper is last frees it.
    struct outcome {
        std::mutex mutex;
        std::condition_variable done_signal;
        bool done = false;
        bool abandoned = false;
        TCPsocket socket = nullptr;
        std::string error;
    };
    auto shared = std::make_shared<outcome>();
    const bool started = platform::start_thread(
        [shared, target = address]() mutable {
            TCPsocket socket = SDLNet_TCP_Open(&target);
            const std::string text = socket ? std::string() : std::string(SDL_GetError());
            std::lock_guard<std::mutex> lock(shared->mutex);
            if (shared->abandoned) {
                if (socket) SDLNet_TCP_Close(socket);
                return;
            }
            shared->socket = socket;
            shared->error = text;
            shared->done = true;
            shared->done_signal.notify_one();
        },
        platform::thread_priority::normal);
    if (!started) {
        if (fallback == without_thread::fail) {
            error = "Cannot start the connecting thread";
            return nullptr;
        }
        IPaddress target = address;
        TCPsocket socket = SDLNet_TCP_Open(&target);
        if (!socket) error = SDL_GetError();
        return socket;
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->done_signal.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                      [&] { return shared->done; })) {
        shared->abandoned = true;
        error = "Connection timed out";
        return nullptr;
    }
    error = shared->error;
    return shared->socket;
}

}  // namespace rx::net
