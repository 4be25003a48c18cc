// rx_service's connections on one event loop: the plumbing every connection shares (bounded waits,
// sends, slow work handed to a worker pool), and the HTTP and game-server handlers built on it.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "service/state.h"

namespace rx::service {

using steady_clock = std::chrono::steady_clock;

// The threads beside the loop. Password checks are slow on purpose and get their own two threads
// (the state lets two hash at once), so a queue of logins never holds up a save; disk writes,
// reads and image builds go to the other pool.
struct worker_pools {
    asio::thread_pool hashing{2};
    asio::thread_pool work{2};
};

// One accepted connection. Everything here runs on the loop's thread; only the jobs given to
// `off_loop` run elsewhere, and their results come back to the loop. The object lives as long as a
// pending wait or job holds it, and leaves its port's cap when it goes.
class connection : public std::enable_shared_from_this<connection> {
  public:
    connection(service_state& state, worker_pools& pools, asio::ip::tcp::socket socket,
               connection_caps& caps, std::string address);
    virtual ~connection();
    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;

    virtual void start() = 0;
    // False when the port or the address was already full: the connection must close at once.
    bool counted() const { return counted_; }
    void close();

  protected:
    using step = std::function<void(bool)>;

    // Waits for more bytes (appended to `input_`) until `deadline`; false when the peer closed, the
    // socket failed or the time ran out (then `timed_out_` is set).
    void fill(steady_clock::time_point deadline, step then);
    // Sends every byte; each wait for room lasts at most `per_wait` and none goes past
    // `deadline`. `keep` holds the bytes alive until the send ends.
    void send(std::shared_ptr<const void> keep, const char* data, std::size_t size,
              std::chrono::milliseconds per_wait, steady_clock::time_point deadline, step then);
    void send(std::string text, std::chrono::milliseconds per_wait, step then);
    // Waits without touching the socket (a fault's reply delay).
    void pause(std::chrono::milliseconds how_long, std::function<void()> then);
    // Keeps the connection open without answering: reads and drops bytes until the peer closes or
    // `how_long` has passed.
    void hold(std::chrono::milliseconds how_long, std::function<void()> then);
    // Ends gracefully: no more sending, then the client's last bytes (the NUL after a request) are
    // drained for a short, bounded while so closing does not reset the connection under the reply.
    void finish();

    // Runs `job` on `pool` and `then` with its result back on the loop; a job that throws ends the
    // connection through `failed`.
    template <typename R>
    void off_loop(asio::thread_pool& pool, std::function<R()> job, std::function<void(R)> then) {
        auto self = shared_from_this();
        asio::post(
            pool, [self = std::move(self), job = std::move(job), then = std::move(then)]() mutable {
                auto* me = self.get();
                try {
                    R result = job();
                    asio::post(me->socket_.get_executor(),
                               [self = std::move(self), then = std::move(then),
                                result = std::move(result)]() mutable { then(std::move(result)); });
                } catch (...) {
                    asio::post(me->socket_.get_executor(),
                               [self = std::move(self)] { self->failed(); });
                }
            });
    }
    // A job failed: the connection ends (the game server logs its user out first).
    virtual void failed() { close(); }

    // The fault switches in force: read from the state while test hooks may change them, else the
    // ones the service started with (no lock taken on the loop).
    fault_settings faults();

    service_state& state_;
    worker_pools& pools_;
    const service_options& options_;
    asio::ip::tcp::socket socket_;
    std::string address_;
    std::string input_;  // bytes received and not yet taken
    bool timed_out_ = false;

  private:
    // Arms the time-out of the one wait in progress: when it strikes first, the wait is cancelled.
    void arm(steady_clock::time_point deadline);
    void disarm();
    void wait_readable(steady_clock::time_point deadline, std::function<void(bool)> then);
    void write_some(std::shared_ptr<const void> keep, const char* data, std::size_t size,
                    std::chrono::milliseconds per_wait, steady_clock::time_point deadline,
                    step then);
    void drain(steady_clock::time_point until);

    connection_caps& caps_;
    asio::steady_timer timer_;
    std::uint64_t armed_ = 0;  // which wait the timer belongs to; an older expiry is ignored
    bool counted_;             // entered in the caps, so it leaves them when it goes
};

// One HTTP request, one reply, then the connection is closed (unless a fault keeps it open).
std::shared_ptr<connection> make_http_connection(service_state& state, worker_pools& pools,
                                                 asio::ip::tcp::socket socket,
                                                 connection_caps& caps, std::string address);

// One game server connection: login, then "id", "op", "sv", "ld" and "cl" in lock step.
std::shared_ptr<connection> make_game_connection(service_state& state, worker_pools& pools,
                                                 asio::ip::tcp::socket socket,
                                                 connection_caps& caps, std::string address);

// Both ports on the calling thread's loop, until the process ends. `http` and `game` are listening
// sockets (listen_tcp); each port has its own caps, per port and per address.
void run_service_loop(service_state& state, int http, int game);

}  // namespace rx::service
