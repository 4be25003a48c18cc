// Test helper: starts the real rx_service from the program folder on free ports and talks to it
// raw.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "service/logic/catalogue.h"

namespace rx::service::test {

std::string program_dir();
std::string sample_dir();
// The catalogue the service serves (from the program folder).
const std::vector<game_record>& catalogue();

// A fresh folder under the test temp dir, removed by the destructor.
class temp_dir {
  public:
    temp_dir();
    ~temp_dir();
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

class service_process {
  public:
    // Starts rx_service with --data `data_dir` --http-port 0 --game-port 0 and the extra arguments,
    // and reads its first line. The test fails (fatal assertion in the caller through started())
    // when it does not start.
    service_process(const std::string& data_dir, const std::vector<std::string>& extra = {});
    ~service_process();
    void stop();

    bool started() const { return http_port_ > 0 && game_port_ > 0; }
    const std::string& first_line() const { return first_line_; }
    int http_port() const { return http_port_; }
    int game_port() const { return game_port_; }

  private:
    pid_t pid_ = -1;
    int http_port_ = 0;
    int game_port_ = 0;
    std::string first_line_;
};

// Connects to 127.0.0.1:port with 10 s receive and send time-outs; -1 on failure.
int connect_to(int port);
// Reads until the peer closes (or the time-out); `closed` tells which ended it.
std::string read_all(int fd, bool* closed = nullptr);
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
// True for a session id: sixteen lower-case hex digits.
bool is_session_id(const std::string& text);

// The first game that satisfies `pred`.
template <typename P>
const game_record* find_game(P pred) {
    for (const auto& g : catalogue())
        if (pred(g)) return &g;
    return nullptr;
}

}  // namespace rx::service::test
