// TCP connections over SDL_net with every wait bounded: connect, bulk send and each receive have a
// time limit.
#pragma once
#include <SDL_net.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace rx::lib::net {

// Limits on waiting for the service, in milliseconds.
inline constexpr unsigned connect_timeout_ms = 10000;
inline constexpr unsigned reply_timeout_ms = 30000;  // one game server reply or save chunk
inline constexpr unsigned download_stall_ms =
    60000;  // no byte of the game for this long fails the download
inline constexpr unsigned bulk_send_timeout_ms = 60000;
inline constexpr unsigned web_timeout_ms = 10000;  // each receive from the web host

// Resolves `name` at `port`, else the fallback address at the same port; false when neither
// resolves.
bool resolve(const std::string& name, std::uint16_t port, IPaddress& address);

class link {
  public:
    // Connects within connect_timeout_ms; null on failure or time-out (SDL's error text says
    // which).
    static std::unique_ptr<link> open(const IPaddress& address);
    ~link();
    link(const link&) = delete;
    link& operator=(const link&) = delete;

    // One send of everything; for small texts that always fit the socket's buffer.
    bool send(const void* data, std::size_t size);
    // A large send that gives up after bulk_send_timeout_ms if the peer stops reading.
    bool send_bounded(const void* data, std::size_t size);
    // At most `size` bytes once some arrive: the count, 0 when the peer closed, -1 on error or
    // after `timeout_ms` without data. `while_waiting` runs every 20 ms of the wait.
    long receive(void* data, std::size_t size, unsigned timeout_ms,
                 const std::function<void()>& while_waiting = {});

    struct shared;  // the socket, shared with a helper thread that may outlive this object

  private:
    explicit link(std::shared_ptr<shared> socket);
    std::shared_ptr<shared> socket_;
    SDLNet_SocketSet set_ = nullptr;
};

}  // namespace rx::lib::net
