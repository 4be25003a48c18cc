// The two connection handlers of rx_service; each runs on its own thread and closes its socket.
#pragma once

#include "service/state.h"

namespace rx::service {

// One HTTP request, one reply, then the connection is closed (unless a fault keeps it open).
void serve_http(service_state& state, int fd);

// One game server connection: login, then "id", "op", "sv", "ld" and "cl" in lock step.
void serve_game(service_state& state, int fd);

}  // namespace rx::service
