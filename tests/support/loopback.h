// Test support: loopback TCP sockets with bounded waits.
#pragma once
#include <string>

namespace rx::test {

// Connects to 127.0.0.1:port with receive and send time-outs of `timeout_s`; -1 on failure.
int connect_loopback(int port, int timeout_s = 10);
// The same from the loopback address `source` (127.0.0.2, ...), so a test can be clients at several
// addresses; -1 on failure.
int connect_from(const std::string& source, int port, int timeout_s = 10);
// A listening socket on 127.0.0.1 at a free port (stored in `port`); -1 on failure.
int listen_loopback(int& port);
// Reads until the peer closes or the receive time-out ends it; `closed` tells which.
std::string read_all(int fd, bool* closed = nullptr);
// Sends `bytes` and reads until the peer closes or `idle_ms` pass without data.
std::string exchange(int port, const std::string& bytes, int idle_ms = 10000);

}  // namespace rx::test
