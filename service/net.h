// Loopback TCP plumbing for rx_service: listening sockets, the descriptor limit, and the socket
// calls the state makes on connections it does not own.
#pragma once
#include <string>

namespace rx::service {

// Binds and listens on `address`:`port` (0 picks a free port); returns the socket or -1 with
// `error` set, and the port actually bound in `bound_port`.
int listen_tcp(const std::string& address, int port, int& bound_port, std::string& error);

// Raises the soft limit of open descriptors to the hard one: every open connection holds one, and
// the caps, not the default limit, should decide how many are served.
void raise_descriptor_limit();

// True when the peer has already closed its side (or the socket failed): checked without waiting.
bool peer_gone(int fd);

// Ends a connection's traffic both ways (used when a login clears an older one); its own handler
// then sees the end on the loop and closes it.
void shutdown_socket(int fd);

}  // namespace rx::service
