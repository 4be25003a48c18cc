// TCP sockets and socket sets on Winsock, behind SDL_net's interface.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <new>
#include <vector>

#include "SDL_net.h"

struct _TCPsocket {
    int ready;  // first, as in every socket a set can hold
    SOCKET channel;
    IPaddress remote;
    IPaddress local;
    bool server;
};

struct _SDLNet_SocketSet {
    std::vector<SDLNet_GenericSocket> sockets;
    std::size_t capacity;
};

namespace {

int started = 0;

void set_socket_error(const char* what) {
    SDL_SetError("%s (Winsock error %d)", what, WSAGetLastError());
}

// A socket object owning `channel`; without memory for it the channel is closed, so no handle
// outlives a failed open or accept.
TCPsocket wrap_channel(SOCKET channel) {
    TCPsocket sock = new (std::nothrow) _TCPsocket{};
    if (sock == nullptr) {
        closesocket(channel);
        SDL_OutOfMemory();
        return nullptr;
    }
    sock->channel = channel;
    return sock;
}

}  // namespace

extern "C" {

int SDLNet_Init(void) {
    if (started == 0) {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            SDL_SetError("Couldn't initialize Winsock");
            return -1;
        }
    }
    ++started;
    return 0;
}

void SDLNet_Quit(void) {
    if (started > 0 && --started == 0) WSACleanup();
}

int SDLNet_ResolveHost(IPaddress* address, const char* host, Uint16 port) {
    address->port = htons(port);
    if (host == nullptr) {
        address->host = INADDR_ANY;
        return 0;
    }
    address->host = inet_addr(host);
    if (address->host != INADDR_NONE) return 0;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        SDL_SetError("Couldn't resolve host %s", host);
        return -1;
    }
    address->host = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return 0;
}

// The wildcard or the broadcast address asks for a listening socket, anything else for a
// connection.
TCPsocket SDLNet_TCP_Open(IPaddress* ip) {
    SOCKET channel = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (channel == INVALID_SOCKET) {
        set_socket_error("Couldn't create socket");
        return nullptr;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ip->port;
    bool server = ip->host == INADDR_ANY || ip->host == INADDR_NONE;
    if (server) {
        address.sin_addr.s_addr = INADDR_ANY;
        // Exclusive use, so a second server cannot take over the same port as Windows would allow.
        BOOL yes = TRUE;
        setsockopt(channel, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
                   sizeof yes);
        if (bind(channel, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR ||
            listen(channel, 5) == SOCKET_ERROR) {
            set_socket_error("Couldn't listen");
            closesocket(channel);
            return nullptr;
        }
    } else {
        address.sin_addr.s_addr = ip->host;
        if (connect(channel, reinterpret_cast<sockaddr*>(&address), sizeof address) ==
            SOCKET_ERROR) {
            set_socket_error("Couldn't connect to remote host");
            closesocket(channel);
            return nullptr;
        }
        BOOL yes = TRUE;
        setsockopt(channel, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes),
                   sizeof yes);
    }
    TCPsocket sock = wrap_channel(channel);
    if (sock == nullptr) return nullptr;
    sock->server = server;
    sock->remote = *ip;
    sockaddr_in mine{};
    int length = sizeof mine;
    if (getsockname(channel, reinterpret_cast<sockaddr*>(&mine), &length) == 0) {
        sock->local.host = mine.sin_addr.s_addr;
        sock->local.port = mine.sin_port;
    }
    return sock;
}

TCPsocket SDLNet_TCP_Accept(TCPsocket server) {
    if (server == nullptr || !server->server) {
        SDL_SetError("Only server sockets can accept()");
        return nullptr;
    }
    server->ready = 0;
    sockaddr_in peer{};
    int length = sizeof peer;
    SOCKET channel = accept(server->channel, reinterpret_cast<sockaddr*>(&peer), &length);
    if (channel == INVALID_SOCKET) {
        set_socket_error("accept() failed");
        return nullptr;
    }
    TCPsocket sock = wrap_channel(channel);
    if (sock == nullptr) return nullptr;
    sock->remote.host = peer.sin_addr.s_addr;
    sock->remote.port = peer.sin_port;
    return sock;
}

IPaddress* SDLNet_TCP_GetPeerAddress(TCPsocket sock) {
    if (sock == nullptr || sock->server) return nullptr;
    return &sock->remote;
}

// Sends everything or reports how much went before the connection failed.
int SDLNet_TCP_Send(TCPsocket sock, const void* data, int len) {
    if (sock == nullptr || sock->server) {
        SDL_SetError("Server sockets cannot send");
        return -1;
    }
    const char* bytes = static_cast<const char*>(data);
    int sent = 0;
    while (sent < len) {
        int n = send(sock->channel, bytes + sent, len - sent, 0);
        if (n == SOCKET_ERROR) {
            set_socket_error("send() failed");
            break;
        }
        sent += n;
    }
    return sent;
}

int SDLNet_TCP_Recv(TCPsocket sock, void* data, int maxlen) {
    if (sock == nullptr || sock->server) {
        SDL_SetError("Server sockets cannot receive");
        return -1;
    }
    if (maxlen <= 0) {
        SDL_SetError("Nothing to receive into");
        return -1;
    }
    int n = recv(sock->channel, static_cast<char*>(data), maxlen, 0);
    sock->ready = 0;
    if (n == SOCKET_ERROR) {
        set_socket_error("recv() failed");
        return -1;
    }
    return n;
}

void SDLNet_TCP_Close(TCPsocket sock) {
    if (sock == nullptr) return;
    if (sock->channel != INVALID_SOCKET) closesocket(sock->channel);
    delete sock;
}

SDLNet_SocketSet SDLNet_AllocSocketSet(int maxsockets) {
    if (maxsockets <= 0 || maxsockets > FD_SETSIZE) {
        SDL_SetError("A socket set holds 1 to %d sockets", FD_SETSIZE);
        return nullptr;
    }
    SDLNet_SocketSet set = new (std::nothrow) _SDLNet_SocketSet{};
    if (set == nullptr) {
        SDL_OutOfMemory();
        return nullptr;
    }
    set->capacity = static_cast<std::size_t>(maxsockets);
    return set;
}

int SDLNet_AddSocket(SDLNet_SocketSet set, SDLNet_GenericSocket sock) {
    if (set == nullptr || sock == nullptr) return -1;
    if (set->sockets.size() >= set->capacity) {
        SDL_SetError("socketset is full");
        return -1;
    }
    set->sockets.push_back(sock);
    return static_cast<int>(set->sockets.size());
}

int SDLNet_DelSocket(SDLNet_SocketSet set, SDLNet_GenericSocket sock) {
    if (set == nullptr || sock == nullptr) return -1;
    for (std::size_t i = 0; i < set->sockets.size(); ++i) {
        if (set->sockets[i] == sock) {
            set->sockets.erase(set->sockets.begin() + static_cast<std::ptrdiff_t>(i));
            return static_cast<int>(set->sockets.size());
        }
    }
    SDL_SetError("socket not found in socketset");
    return -1;
}

// Waits at most `timeout` ms; every socket's ready flag says whether it has data (or a connection).
int SDLNet_CheckSockets(SDLNet_SocketSet set, Uint32 timeout) {
    if (set == nullptr) return -1;
    if (set->sockets.empty()) {
        // Winsock refuses to select on nothing; an empty set simply waits.
        Sleep(timeout);
        return 0;
    }
    fd_set readable;
    FD_ZERO(&readable);
    for (SDLNet_GenericSocket generic : set->sockets) {
        FD_SET(reinterpret_cast<TCPsocket>(generic)->channel, &readable);
    }
    timeval wait{};
    wait.tv_sec = static_cast<long>(timeout / 1000);
    wait.tv_usec = static_cast<long>((timeout % 1000) * 1000);
    int n = select(0, &readable, nullptr, nullptr, &wait);
    if (n == SOCKET_ERROR) {
        set_socket_error("select() failed");
        return -1;
    }
    for (SDLNet_GenericSocket generic : set->sockets) {
        generic->ready = FD_ISSET(reinterpret_cast<TCPsocket>(generic)->channel, &readable) ? 1 : 0;
    }
    return n;
}

void SDLNet_FreeSocketSet(SDLNet_SocketSet set) {
    delete set;
}

}  // extern "C"
