// POSIX side of the listening sockets and of the checks the state makes on other connections;
// the connections' shared plumbing on the event loop and the loop itself.
#include "service/net.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "service/servers.h"

namespace rx::service {

int listen_tcp(const std::string& address, int port, int& bound_port, std::string& error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
        error = "not a dotted IPv4 address: " + address;
        ::close(fd);
        return -1;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd, 1024) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    bound_port = ntohs(addr.sin_port);
    return fd;
}

void raise_descriptor_limit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

bool peer_gone(int fd) {
    pollfd p{fd, POLLRDHUP, 0};
    if (::poll(&p, 1, 0) <= 0) return false;
    return (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void shutdown_socket(int fd) {
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

// --- Connections on the loop ---

namespace {

// One loop thread reads every socket: a single buffer serves them all, so an idle connection holds
// no buffer of its own.
char read_buffer[64 * 1024];

steady_clock::time_point after(std::chrono::milliseconds ms) {
    return steady_clock::now() + ms;
}

}  // namespace

connection::connection(service_state& state, worker_pools& pools, asio::ip::tcp::socket socket,
                       connection_caps& caps, std::string address)
    : state_(state),
      pools_(pools),
      options_(state.options()),
      socket_(std::move(socket)),
      address_(std::move(address)),
      caps_(caps),
      timer_(socket_.get_executor()),
      counted_(caps_.enter(address_)) {
    asio::error_code ignored;
    socket_.non_blocking(true, ignored);
}

connection::~connection() {
    if (counted_) caps_.leave(address_);
}

fault_settings connection::faults() {
    return options_.test_hooks ? state_.faults() : options_.faults;
}

void connection::arm(steady_clock::time_point deadline) {
    const std::uint64_t mine = ++armed_;
    timer_.expires_at(deadline);
    timer_.async_wait([self = shared_from_this(), mine](const asio::error_code& ec) {
        if (ec || mine != self->armed_) return;
        self->timed_out_ = true;
        asio::error_code ignored;
        self->socket_.cancel(ignored);
    });
}

void connection::disarm() {
    ++armed_;
    timer_.cancel();
}

void connection::wait_readable(steady_clock::time_point deadline, std::function<void(bool)> then) {
    timed_out_ = false;
    if (deadline <= steady_clock::now() || !socket_.is_open()) {
        timed_out_ = socket_.is_open();
        then(false);
        return;
    }
    arm(deadline);
    socket_.async_wait(
        asio::ip::tcp::socket::wait_read,
        [self = shared_from_this(), then = std::move(then)](const asio::error_code& ec) {
            self->disarm();
            then(!ec);
        });
}

void connection::fill(steady_clock::time_point deadline, step then) {
    wait_readable(deadline, [this, deadline, then = std::move(then)](bool ready) mutable {
        if (!ready) {
            then(false);
            return;
        }
        asio::error_code ec;
        const std::size_t n = socket_.read_some(asio::buffer(read_buffer), ec);
        if (ec == asio::error::would_block || ec == asio::error::try_again) {
            fill(deadline, std::move(then));  // woken without bytes after all
            return;
        }
        if (ec || n == 0) {
            then(false);
            return;
        }
        input_.append(read_buffer, n);
        then(true);
    });
}

void connection::write_some(std::shared_ptr<const void> keep, const char* data, std::size_t size,
                            std::chrono::milliseconds per_wait, steady_clock::time_point deadline,
                            step then) {
    if (size == 0) {
        then(true);
        return;
    }
    const auto wait_until = std::min(after(per_wait), deadline);
    if (wait_until <= steady_clock::now() || !socket_.is_open()) {
        then(false);
        return;
    }
    arm(wait_until);
    socket_.async_write_some(
        asio::buffer(data, size),
        [self = shared_from_this(), keep = std::move(keep), data, size, per_wait, deadline,
         then = std::move(then)](const asio::error_code& ec, std::size_t n) mutable {
            self->disarm();
            if (ec) {
                then(false);
                return;
            }
            self->write_some(std::move(keep), data + n, size - n, per_wait, deadline,
                             std::move(then));
        });
}

void connection::send(std::shared_ptr<const void> keep, const char* data, std::size_t size,
                      std::chrono::milliseconds per_wait, steady_clock::time_point deadline,
                      step then) {
    write_some(std::move(keep), data, size, per_wait, deadline, std::move(then));
}

void connection::send(std::string text, std::chrono::milliseconds per_wait, step then) {
    auto bytes = std::make_shared<const std::string>(std::move(text));
    const char* data = bytes->data();
    const std::size_t size = bytes->size();
    write_some(std::move(bytes), data, size, per_wait, steady_clock::time_point::max(),
               std::move(then));
}

void connection::pause(std::chrono::milliseconds how_long, std::function<void()> then) {
    // The socket is not waited on meanwhile, so this timer is free to use.
    ++armed_;
    timer_.expires_after(how_long);
    timer_.async_wait(
        [self = shared_from_this(), then = std::move(then)](const asio::error_code&) { then(); });
}

void connection::hold(std::chrono::milliseconds how_long, std::function<void()> then) {
    const auto until = after(how_long);
    auto next = std::make_shared<step>();
    *next = [this, until, next, then = std::move(then)](bool more) mutable {
        input_.clear();
        if (!more) {
            // A time-out ends the hold as well: the wait was as long as allowed. The step
            // refers to itself; breaking that cycle lets the connection go.
            auto done = std::move(then);
            *next = nullptr;
            done();
            return;
        }
        fill(until, *next);
    };
    fill(until, *next);
}

void connection::finish() {
    asio::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
    drain(after(std::chrono::milliseconds(2000)));
}

void connection::drain(steady_clock::time_point until) {
    const auto wait = std::min(after(std::chrono::milliseconds(250)), until);
    input_.clear();
    fill(wait, [this, until](bool more) {
        if (more && steady_clock::now() < until)
            drain(until);
        else
            close();
    });
}

void connection::close() {
    disarm();
    asio::error_code ignored;
    socket_.close(ignored);
}

// --- The loop ---

namespace {

using connection_factory = std::shared_ptr<connection> (*)(service_state&, worker_pools&,
                                                           asio::ip::tcp::socket, connection_caps&,
                                                           std::string);

// Accepts on one port. Each port counts its own connections, so a flood on one leaves the other
// alone, and one address gets only its share of either.
class port_listener {
  public:
    port_listener(asio::io_context& loop, service_state& state, worker_pools& pools, int fd,
                  connection_factory make)
        : state_(state),
          pools_(pools),
          acceptor_(loop, asio::ip::tcp::v4(), fd),
          caps_(static_cast<std::size_t>(state.options().max_connections),
                static_cast<std::size_t>(state.options().max_connections_per_address)),
          retry_(loop),
          make_(make) {}

    void accept() {
        acceptor_.async_accept([this](const asio::error_code& ec, asio::ip::tcp::socket socket) {
            if (ec) {
                // Out of descriptors (or a connection aborted before it was taken): let some
                // close before trying again.
                retry_.expires_after(std::chrono::milliseconds(50));
                retry_.async_wait([this](const asio::error_code&) { accept(); });
                return;
            }
            asio::error_code no_peer;
            const auto peer = socket.remote_endpoint(no_peer);
            std::string address = no_peer ? std::string() : peer.address().to_string();
            std::shared_ptr<connection> c;
            try {
                c = make_(state_, pools_, std::move(socket), caps_, std::move(address));
            } catch (const std::exception&) {
                // Out of memory: the socket closed with the half-made connection.
            }
            // Over its port's or its address's cap, a connection is closed at once.
            if (c && c->counted())
                c->start();
            else if (c)
                c->close();
            accept();
        });
    }

  private:
    service_state& state_;
    worker_pools& pools_;
    asio::ip::tcp::acceptor acceptor_;
    connection_caps caps_;
    asio::steady_timer retry_;
    connection_factory make_;
};

// Once a second: sessions past their time-out end and ended guest plays' saves go. On the work
// pool (it touches the disk); the next round is set only once this one is done.
void housekeeping(asio::steady_timer& timer, service_state& state, worker_pools& pools) {
    timer.expires_after(std::chrono::seconds(1));
    timer.async_wait([&timer, &state, &pools](const asio::error_code&) {
        asio::post(pools.work, [&timer, &state, &pools] {
            state.expire_sessions();
            state.drop_ended_guest_saves();
            asio::post(timer.get_executor(),
                       [&timer, &state, &pools] { housekeeping(timer, state, pools); });
        });
    });
}

}  // namespace

void run_service_loop(service_state& state, int http, int game) {
    asio::io_context loop(1);
    worker_pools pools;
    port_listener http_port(loop, state, pools, http, &make_http_connection);
    port_listener game_port(loop, state, pools, game, &make_game_connection);
    asio::steady_timer timer(loop);
    http_port.accept();
    game_port.accept();
    housekeeping(timer, state, pools);
    while (true) {
        try {
            loop.run();
            return;
        } catch (const std::exception&) {
            // A handler's failure costs its own connection only; the loop carries on.
        }
    }
}

}  // namespace rx::service
