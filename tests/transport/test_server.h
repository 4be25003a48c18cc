// A loopback HTTP stand-in for tests: records each request's raw bytes and answers by a script per
// connection.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "loopback.h"

namespace rx_test {

class test_server {
  public:
    // Runs once per accepted connection, after the request (up to its NUL byte) has been read.
    using script = std::function<void(test_server& server, int fd, const std::string& request)>;

    explicit test_server(script on_request) : script_(std::move(on_request)) {
        int port = 0;
        listen_fd_ = rx::test::listen_loopback(port);
        port_ = static_cast<std::uint16_t>(port);
        thread_ = std::thread([this] { run(); });
    }

    ~test_server() {
        stopping_ = true;
        thread_.join();
        ::close(listen_fd_);
    }

    std::uint16_t port() const { return port_; }
    bool stopping() const { return stopping_; }

    std::vector<std::string> requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

    // Waits until `count` requests have arrived or `timeout_ms` passed.
    bool wait_for_requests(std::size_t count, int timeout_ms = 3000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (std::chrono::steady_clock::now() < deadline) {
            if (requests().size() >= count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // Keeps the connection open, silent, until the server is destroyed.
    void hold_open() {
        while (!stopping_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    static void send_all(int fd, const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<std::size_t>(n);
        }
    }

    static void pause_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  private:
    void run() {
        while (!stopping_) {
            pollfd p{listen_fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            int fd = ::accept(listen_fd_, nullptr, nullptr);
            if (fd < 0) continue;
            std::string request = read_request(fd);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request);
            }
            if (script_) script_(*this, fd, request);
            ::close(fd);
        }
    }

    // Reads until the NUL byte that ends every request, the peer's close, or 2 s of silence.
    static std::string read_request(int fd) {
        std::string bytes;
        char buffer[1024];
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) break;
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(n));
            if (bytes.find('\0') != std::string::npos) break;
        }
        return bytes;
    }

    script script_;
    int listen_fd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

// A loopback port nobody listens on: bound and closed again at once.
inline std::uint16_t closed_port() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

}  // namespace rx_test
