/* TCP sockets for the Windows programs, with SDL_net 1.2's interface (the subset the programs use).
 */
#ifndef RX_SDL_NET_H
#define RX_SDL_NET_H

#include "SDL.h"
#include "begin_code.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SDL_NET_MAJOR_VERSION 1
#define SDL_NET_MINOR_VERSION 2
#define SDL_NET_PATCHLEVEL 8

/* Host and port are both in network byte order. */
typedef struct {
    Uint32 host;
    Uint16 port;
} IPaddress;

#ifndef INADDR_ANY
#define INADDR_ANY 0x00000000
#endif
#ifndef INADDR_NONE
#define INADDR_NONE 0xFFFFFFFF
#endif

typedef struct _TCPsocket* TCPsocket;
typedef struct _SDLNet_SocketSet* SDLNet_SocketSet;

/* Every socket starts with this, so a set can report readiness through any socket kind. */
typedef struct {
    int ready;
} * SDLNet_GenericSocket;

extern DECLSPEC int SDLCALL SDLNet_Init(void);
extern DECLSPEC void SDLCALL SDLNet_Quit(void);

extern DECLSPEC int SDLCALL SDLNet_ResolveHost(IPaddress* address, const char* host, Uint16 port);

extern DECLSPEC TCPsocket SDLCALL SDLNet_TCP_Open(IPaddress* ip);
extern DECLSPEC TCPsocket SDLCALL SDLNet_TCP_Accept(TCPsocket server);
extern DECLSPEC IPaddress* SDLCALL SDLNet_TCP_GetPeerAddress(TCPsocket sock);
extern DECLSPEC int SDLCALL SDLNet_TCP_Send(TCPsocket sock, const void* data, int len);
extern DECLSPEC int SDLCALL SDLNet_TCP_Recv(TCPsocket sock, void* data, int maxlen);
extern DECLSPEC void SDLCALL SDLNet_TCP_Close(TCPsocket sock);

extern DECLSPEC SDLNet_SocketSet SDLCALL SDLNet_AllocSocketSet(int maxsockets);
extern DECLSPEC int SDLCALL SDLNet_AddSocket(SDLNet_SocketSet set, SDLNet_GenericSocket sock);
extern DECLSPEC int SDLCALL SDLNet_DelSocket(SDLNet_SocketSet set, SDLNet_GenericSocket sock);
#define SDLNet_TCP_AddSocket(set, sock) SDLNet_AddSocket(set, (SDLNet_GenericSocket)(sock))
#define SDLNet_TCP_DelSocket(set, sock) SDLNet_DelSocket(set, (SDLNet_GenericSocket)(sock))
extern DECLSPEC int SDLCALL SDLNet_CheckSockets(SDLNet_SocketSet set, Uint32 timeout);
extern DECLSPEC void SDLCALL SDLNet_FreeSocketSet(SDLNet_SocketSet set);

#define SDLNet_SocketReady(sock) ((sock) != NULL && ((SDLNet_GenericSocket)(sock))->ready)

#define SDLNet_SetError SDL_SetError
#define SDLNet_GetError SDL_GetError

#ifdef __cplusplus
}
#endif
#include "close_code.h"

#endif
