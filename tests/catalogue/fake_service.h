// A loopback HTTP stand-in for the catalogue and web hosts: records every request, answers from a
// table.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rx::test {

struct fake_reply {
    std::vector<std::string> chunks;  // sent one after another, `pause_ms` apart
    int pause_ms = 0;
};

class fake_service {
  public:
    // Chooses the reply for a request's target (the text between "GET " and the next blank).
    using responder = std::function<fake_reply(const std::string& target)>;

    explicit fake_service(responder respond);
    ~fake_service();
    fake_service(const fake_service&) = delete;
    fake_service& operator=(const fake_service&) = delete;

    std::uint16_t port() const { return port_; }
    std::string authority() const { return "127.0.0.1:" + std::to_string(port_); }

    // Whole requests as received (up to and including the NUL after the blank line).
    std::vector<std::string> requests() const;
    std::vector<std::string> targets() const;
    void clear();
    // Waits up to `timeout_ms` until `count` requests have arrived.
    bool wait_for_requests(std::size_t count, int timeout_ms) const;

  private:
    void serve();

    responder respond_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> requests_;
};

// "HTTP/1.0 200 OK" with a few header lines, then the body.
std::string http_reply(const std::string& body);

}  // namespace rx::test
