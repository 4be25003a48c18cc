// The bounded TCP connect and the resolve with the service's fallback address, shared by the web
// transport (Relicade, rx_update) and rxlib's game server links.
#pragma once
#include <SDL_net.h>

#include <cstdint>
#include <functional>
#include <string>

namespace rx::net {

// Resolves `host`; when that fails, `on_failure` runs (the caller's log line) and the service's
// numeric fallback address is tried on the same port. False when neither resolves, with SDL's
// error set.
bool resolve_with_fallback(const std::string& host, std::uint16_t port, IPaddress& address,
                           const std::function<void()>& on_failure = {});

// What a connect does when no helper thread can be started.
enum class without_thread {
    connect_here,  // connect on the calling thread, bounded only by the system
    fail,          // give up with "Cannot start the connecting thread"
};

// SDL_net connects without a time limit (an address that drops our packets keeps the caller for
// the system's whole retry period, about two minutes on Linux), so the connect runs on a helper
// thread and is given up after `timeout_ms` ("Connection timed out"); a connection made later is
// closed by the helper. Null on failure, with `error` saying why.
TCPsocket open_bounded(const IPaddress& address, unsigned timeout_ms, std::string& error,
                       without_thread fallback = without_thread::connect_here);

}  // namespace rx::net
