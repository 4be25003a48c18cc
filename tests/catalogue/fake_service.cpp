// A loopback HTTP stand-in for the catalogue and web hosts (tests only; plain POSIX sockets).
#include "fake_service.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "loopback.h"

namespace rx::test {

std::string http_reply(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n" + body;
}

fake_service::fake_service(responder respond) : respond_(std::move(respond)) {
    int port = 0;
    listener_ = listen_loopback(port);
    port_ = static_cast<std::uint16_t>(port);
    thread_ = std::thread([this] { serve(); });
}

fake_service::~fake_service() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void fake_service::serve() {
    while (!stop_) {
        pollfd ready{listener_, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0) continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) continue;
        // The request ends with the blank line and its NUL byte.
        std::string request;
        char buffer[1024];
        while (request.find("\n\n") == std::string::npos || request.back() != '\0') {
            pollfd in{client, POLLIN, 0};
            if (::poll(&in, 1, 2000) <= 0) break;
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        std::string target;
        if (request.compare(0, 4, "GET ") == 0) {
            target = request.substr(4, request.find(" HTTP/", 4) - 4);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        changed_.notify_all();
        const fake_reply reply = respond_(target);
        for (std::size_t i = 0; i < reply.chunks.size(); ++i) {
            if (i > 0 && reply.pause_ms > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(reply.pause_ms));
            }
            const std::string& chunk = reply.chunks[i];
            std::size_t sent = 0;
            while (sent < chunk.size()) {
                const ssize_t n =
                    ::send(client, chunk.data() + sent, chunk.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
        }
        ::close(client);
    }
}

std::vector<std::string> fake_service::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<std::string> fake_service::targets() const {
    std::vector<std::string> result;
    for (const std::string& request : requests()) {
        if (request.compare(0, 4, "GET ") != 0) continue;
        result.push_back(request.substr(4, request.find(" HTTP/") - 4));
    }
    return result;
}

void fake_service::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

bool fake_service::wait_for_requests(std::size_t count, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                             [&] { return requests_.size() >= count; });
}

}  // namespace rx::test
