// Loopback TCP plumbing for rx_service: listening sockets and socket waits that always end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace rx::service {

// Binds and listens on `address`:`port` (0 picks a free port); returns the socket or -1 with
// `error` set, and the port actually bound in `bound_port`.
int listen_tcp(const std::string& address, int port, int& bound_port, std::string& error);

// Waits at most `timeout_ms` for bytes; returns the count, 0 when the peer closed, -1 on error or
// time-out.
long receive_some(int fd, void* buffer, std::size_t capacity, int timeout_ms);

// Takes whatever has already arrived without waiting; returns the count (0 when nothing is there).
long receive_ready(int fd, void* buffer, std::size_t capacity);

// Sends every byte; each wait for room in the send buffer is bounded by `timeout_ms`.
bool send_all(int fd, const void* data, std::size_t size, int timeout_ms);
bool send_all(int fd, const std::string& text, int timeout_ms);

// Keeps a connection open without answering: reads and drops bytes until the peer closes or
// `hold_ms` has passed.
void hold_connection(int fd, int hold_ms);

// True when the peer has already closed its side (or the socket failed): checked without waiting.
bool peer_gone(int fd);

// The peer's IP address as text ("" when unknown): the key for per-address login limits.
std::string peer_address(int fd);

void close_socket(int fd);
// Ends a connection gracefully: no more sending, then the client's last bytes (the NUL after a
// request) are drained for a short, bounded while so closing does not reset the connection under
// the reply.
void finish_connection(int fd);
// Unblocks a thread waiting on `fd` in another connection (used when a login clears an older one).
void shutdown_socket(int fd);

}  // namespace rx::service
