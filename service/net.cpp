// POSIX sockets with poll-bounded waits; SIGPIPE is ignored by main, and sends use MSG_NOSIGNAL
// too.
#include "service/net.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace rx::service {
namespace {

// Polls for `events`, retrying on EINTR without ever waiting longer than `timeout_ms` in total.
bool wait_for(int fd, short events, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left < 0) return false;
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r > 0) return true;
        if (r == 0) return false;
        if (errno != EINTR) return false;
    }
}

}  // namespace

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
        ::listen(fd, 256) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    bound_port = ntohs(addr.sin_port);
    return fd;
}

long receive_some(int fd, void* buffer, std::size_t capacity, int timeout_ms) {
    if (!wait_for(fd, POLLIN, timeout_ms)) return -1;
    while (true) {
        const ssize_t n = ::recv(fd, buffer, capacity, 0);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

long receive_ready(int fd, void* buffer, std::size_t capacity) {
    const ssize_t n = ::recv(fd, buffer, capacity, MSG_DONTWAIT);
    return n > 0 ? static_cast<long>(n) : 0;
}

bool send_all(int fd, const void* data, std::size_t size, int timeout_ms) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        if (!wait_for(fd, POLLOUT, timeout_ms)) return false;
        const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool send_all(int fd, const std::string& text, int timeout_ms) {
    return send_all(fd, text.data(), text.size(), timeout_ms);
}

void hold_connection(int fd, int hold_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(hold_ms);
    char sink[1024];
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return;
        if (receive_some(fd, sink, sizeof sink, static_cast<int>(left)) <= 0) {
            // A time-out ends the hold as well: the wait was as long as allowed.
            return;
        }
    }
}

bool peer_gone(int fd) {
    pollfd p{fd, POLLRDHUP, 0};
    if (::poll(&p, 1, 0) <= 0) return false;
    return (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::string peer_address(int fd) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    char text[INET_ADDRSTRLEN] = {};
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0 ||
        peer.sin_family != AF_INET || !::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text))
        return "";
    return text;
}

void close_socket(int fd) {
    if (fd >= 0) ::close(fd);
}

void finish_connection(int fd) {
    if (fd < 0) return;
    ::shutdown(fd, SHUT_WR);
    char sink[1024];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(2000);
    while (std::chrono::steady_clock::now() < deadline) {
        if (receive_some(fd, sink, sizeof sink, 250) <= 0) break;
    }
    ::close(fd);
}

void shutdown_socket(int fd) {
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

}  // namespace rx::service
