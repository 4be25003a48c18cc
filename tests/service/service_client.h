// Test helper: the raw HTTP and game-server clients of the rx_service tests (the service itself
// starts through the shared support library).
#pragma once
#include <string>
#include <vector>

#include "files.h"
#include "loopback.h"
#include "service/logic/catalogue.h"
#include "service_process.h"

namespace rx::service::test {

using rx::test::program_dir;
using rx::test::read_all;
using rx::test::read_file;
using rx::test::service_process;
using rx::test::temp_dir;

std::string sample_dir();
// The catalogue the service serves (from the program folder).
const std::vector<game_record>& catalogue();

// Connects to 127.0.0.1:port with 10 s receive and send time-outs; -1 on failure.
inline int connect_to(int port) {
    return rx::test::connect_loopback(port);
}
using rx::test::connect_from;
// Sends `bytes` and reads the whole reply; the connection is then closed.
std::string http_exchange(int port, const std::string& bytes);
// The clients' request shape: "GET target VERSION\nHost: localhost\n\n" and a NUL.
std::string client_request(const std::string& target, const std::string& version = "HTTP/1.1");
std::string get(int port, const std::string& target, const std::string& version = "HTTP/1.1");
// The reply's body (after the first blank line) and its status code.
std::string body_of(const std::string& reply);
int status_of(const std::string& reply);

// A game server connection in lock step: each token is sent with its NUL, each reply is one
// receive.
class game_client {
  public:
    explicit game_client(int port);
    game_client(const std::string& source, int port);
    ~game_client();
    bool connected() const { return fd_ >= 0; }
    // Sends the token and returns the reply text ("" when the connection closed or timed out).
    std::string send(const std::string& token);
    // Sends the token and reads nothing.
    void send_only(const std::string& token);
    void send_raw(const std::string& bytes);
    // Reads exactly n bytes (fewer when the connection ends first).
    std::string receive_exactly(std::size_t n);
    // True when the server closed the connection (a read returns 0 within the time-out).
    bool closed_by_server(int timeout_ms = 3000);
    // Logs in and checks every reply; returns the password reply.
    std::string login(const std::string& user, const std::string& password);
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

// Splits at every "||" (the service's field separator).
std::vector<std::string> split_fields(const std::string& text);
// True for a session id: 32 lower-case hex digits (128 random bits).
bool is_session_id(const std::string& text);

// The first game that satisfies `pred`.
template <typename P>
const game_record* find_game(P pred) {
    for (const auto& g : catalogue())
        if (pred(g)) return &g;
    return nullptr;
}

}  // namespace rx::service::test
