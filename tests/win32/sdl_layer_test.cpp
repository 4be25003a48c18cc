// The Windows SDL_image, SDL_ttf and SDL_net layer: images as the artwork loader expects them,
// solid text with a transparent background, and TCP sockets with bounded waits, on Winsock under
// Wine.
#include <winsock2.h>
// clang-format off
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_net.h>
#include <SDL_ttf.h>
// clang-format on
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "files.h"

#undef main  // gtest_main provides the console program's main

namespace {

using rx::test::read_file;

const std::string program_dir = RX_PROGRAM_DIR;

SDL_Surface* load_bytes(const std::string& bytes) {
    return IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
}

TEST(SdlImage, PngWithAndWithoutAlphaAndBmp) {
    // Artwork drawn without transparency stays colour-keyable (no per-pixel alpha).
    SDL_Surface* opaque = IMG_Load((program_dir + "/images/background.png").c_str());
    ASSERT_NE(opaque, nullptr) << IMG_GetError();
    EXPECT_EQ(opaque->w, 800);
    EXPECT_EQ(opaque->h, 600);
    EXPECT_EQ(opaque->format->BitsPerPixel, 24);
    EXPECT_EQ(opaque->flags & SDL_SRCALPHA, 0u);

    // rxlib's dialog background has an alpha channel.
    SDL_Surface* translucent = IMG_Load(RX_RXLIB_RESOURCE_DIR "/1001.png");
    ASSERT_NE(translucent, nullptr) << IMG_GetError();
    EXPECT_EQ(translucent->format->BitsPerPixel, 32);
    EXPECT_NE(translucent->flags & SDL_SRCALPHA, 0u);
    EXPECT_EQ(translucent->w, 400);

    // A BMP goes through SDL's own reader, from memory as screenshots arrive.
    SDL_Surface* small = SDL_CreateRGBSurface(SDL_SWSURFACE, 3, 2, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(small, nullptr);
    const std::string bmp_path =
        std::string(getenv("TEMP") ? getenv("TEMP") : ".") + "\\rx_layer.bmp";
    ASSERT_EQ(SDL_SaveBMP(small, bmp_path.c_str()), 0);
    SDL_Surface* bmp = load_bytes(read_file(bmp_path));
    ASSERT_NE(bmp, nullptr) << IMG_GetError();
    EXPECT_EQ(bmp->w, 3);
    EXPECT_EQ(bmp->h, 2);
    DeleteFileA(bmp_path.c_str());

    SDL_FreeSurface(opaque);
    SDL_FreeSurface(translucent);
    SDL_FreeSurface(small);
    SDL_FreeSurface(bmp);
}

TEST(SdlImage, BrokenDataIsAnErrorNotAPicture) {
    std::string png = read_file(program_dir + "/images/background.png");
    ASSERT_GT(png.size(), 100u);
    EXPECT_EQ(load_bytes(png.substr(0, png.size() / 2)), nullptr);
    EXPECT_EQ(load_bytes("GIF89a not supported"), nullptr);
    EXPECT_NE(std::string(IMG_GetError()), "");
    EXPECT_EQ(load_bytes(""), nullptr);
    EXPECT_EQ(IMG_Load((program_dir + "/images/no_such_file.png").c_str()), nullptr);
}

class SdlTtf : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(TTF_Init(), 0);
        font = TTF_OpenFont((program_dir + "/NEURPOLI.TTF").c_str(), 20);
        ASSERT_NE(font, nullptr) << TTF_GetError();
    }
    void TearDown() override {
        if (font) TTF_CloseFont(font);
        TTF_Quit();
    }
    TTF_Font* font = nullptr;
};

TEST_F(SdlTtf, SolidTextHasAKeyedBackgroundAndTheForegroundColour) {
    EXPECT_EQ(TTF_FontHeight(font), TTF_FontAscent(font) - TTF_FontDescent(font) + 1);
    const SDL_Color white{255, 255, 255, 0};
    SDL_Surface* text = TTF_RenderText_Solid(font, "Loading Game", white);
    ASSERT_NE(text, nullptr) << TTF_GetError();
    EXPECT_EQ(text->format->BitsPerPixel, 8);
    EXPECT_EQ(text->h, TTF_FontHeight(font));
    EXPECT_NE(text->flags & SDL_SRCCOLORKEY, 0u);
    EXPECT_EQ(text->format->colorkey, 0u);
    const SDL_Color ink = text->format->palette->colors[1];
    EXPECT_EQ(ink.r, 255);
    EXPECT_EQ(ink.g, 255);
    int inked = 0;
    for (int y = 0; y < text->h; ++y) {
        const Uint8* row = static_cast<const Uint8*>(text->pixels) + y * text->pitch;
        for (int x = 0; x < text->w; ++x) inked += row[x] == 1;
    }
    EXPECT_GT(inked, 50);
    EXPECT_LT(inked, text->w * text->h / 2);

    int w = 0, h = 0;
    ASSERT_EQ(TTF_SizeText(font, "Loading Game", &w, &h), 0);
    EXPECT_EQ(w, text->w);
    EXPECT_EQ(h, text->h);
    // Longer text is wider.
    ASSERT_EQ(TTF_SizeText(font, "Loading Game, please wait", &w, &h), 0);
    EXPECT_GT(w, text->w);
    SDL_FreeSurface(text);
}

TEST_F(SdlTtf, UnicodeTextMatchesLatin1AndHonoursAByteOrderMark) {
    const SDL_Color black{0, 0, 0, 0};
    SDL_Surface* latin = TTF_RenderText_Solid(font, "Abc", black);
    const Uint16 plain[] = {'A', 'b', 'c', 0};
    const Uint16 swapped[] = {0xFFFE, 0x4100, 0x6200, 0x6300, 0};
    SDL_Surface* wide = TTF_RenderUNICODE_Solid(font, plain, black);
    SDL_Surface* marked = TTF_RenderUNICODE_Solid(font, swapped, black);
    ASSERT_NE(latin, nullptr);
    ASSERT_NE(wide, nullptr);
    ASSERT_NE(marked, nullptr);
    EXPECT_EQ(wide->w, latin->w);
    EXPECT_EQ(marked->w, latin->w);
    for (int y = 0; y < latin->h; ++y) {
        EXPECT_EQ(std::memcmp(static_cast<Uint8*>(latin->pixels) + y * latin->pitch,
                              static_cast<Uint8*>(marked->pixels) + y * marked->pitch, latin->w),
                  0)
            << y;
    }
    EXPECT_TRUE(TTF_GlyphIsProvided(font, 'A'));
    // Nothing to draw is an error, as SDL_ttf reports it.
    EXPECT_EQ(TTF_RenderText_Solid(font, "", black), nullptr);
    SDL_FreeSurface(latin);
    SDL_FreeSurface(wide);
    SDL_FreeSurface(marked);
}

// A listening Winsock socket on a free loopback port, accepted on demand.
class listener {
  public:
    listener() {
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(socket_, 1);
        int length = sizeof address;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~listener() {
        if (peer_ != INVALID_SOCKET) closesocket(peer_);
        closesocket(socket_);
    }
    Uint16 port() const { return port_; }
    SOCKET accept_one() { return peer_ = accept(socket_, nullptr, nullptr); }
    void close_peer() {
        closesocket(peer_);
        peer_ = INVALID_SOCKET;
    }

  private:
    SOCKET socket_ = INVALID_SOCKET;
    SOCKET peer_ = INVALID_SOCKET;
    Uint16 port_ = 0;
};

class SdlNet : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(SDLNet_Init(), 0); }
    void TearDown() override { SDLNet_Quit(); }
};

TEST_F(SdlNet, ResolvesNumbersAndNamesInNetworkOrder) {
    IPaddress address{};
    ASSERT_EQ(SDLNet_ResolveHost(&address, "127.0.0.1", 11001), 0);
    EXPECT_EQ(address.host, htonl(INADDR_LOOPBACK));
    EXPECT_EQ(address.port, htons(11001));
    ASSERT_EQ(SDLNet_ResolveHost(&address, "localhost", 80), 0);
    EXPECT_EQ(address.host, htonl(INADDR_LOOPBACK));
    EXPECT_EQ(SDLNet_ResolveHost(&address, "no-such-host.invalid", 80), -1);
}

TEST_F(SdlNet, SendsReceivesWaitsBoundedAndSeesTheEnd) {
    listener server;
    IPaddress address{};
    ASSERT_EQ(SDLNet_ResolveHost(&address, "127.0.0.1", server.port()), 0);
    TCPsocket client = SDLNet_TCP_Open(&address);
    ASSERT_NE(client, nullptr) << SDLNet_GetError();
    SOCKET peer = server.accept_one();
    ASSERT_NE(peer, INVALID_SOCKET);

    // Everything is sent, NUL bytes included.
    const std::string token("login\0player\0", 13);
    EXPECT_EQ(SDLNet_TCP_Send(client, token.data(), static_cast<int>(token.size())), 13);
    char got[32] = {};
    EXPECT_EQ(recv(peer, got, sizeof got, 0), 13);
    EXPECT_EQ(std::string(got, 13), token);

    SDLNet_SocketSet set = SDLNet_AllocSocketSet(1);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(SDLNet_TCP_AddSocket(set, client), 1);
    // Silence: the wait ends after its time with nothing ready.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SDLNet_CheckSockets(set, 300), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    EXPECT_FALSE(SDLNet_SocketReady(client));

    send(peer, "ok", 3, 0);
    EXPECT_EQ(SDLNet_CheckSockets(set, 5000), 1);
    EXPECT_TRUE(SDLNet_SocketReady(client));
    char reply[8] = {};
    EXPECT_EQ(SDLNet_TCP_Recv(client, reply, sizeof reply), 3);
    EXPECT_STREQ(reply, "ok");
    EXPECT_FALSE(SDLNet_SocketReady(client));

    // The other end closes: readable, and a receive of 0 bytes.
    server.close_peer();
    EXPECT_EQ(SDLNet_CheckSockets(set, 5000), 1);
    EXPECT_EQ(SDLNet_TCP_Recv(client, reply, sizeof reply), 0);
    EXPECT_EQ(SDLNet_TCP_Recv(client, reply, 0), -1);

    SDLNet_FreeSocketSet(set);
    SDLNet_TCP_Close(client);
}

TEST_F(SdlNet, ARefusedConnectionIsAnError) {
    Uint16 closed_port = 0;
    {
        listener gone;
        closed_port = gone.port();
    }
    IPaddress address{};
    ASSERT_EQ(SDLNet_ResolveHost(&address, "127.0.0.1", closed_port), 0);
    EXPECT_EQ(SDLNet_TCP_Open(&address), nullptr);
    EXPECT_NE(std::string(SDLNet_GetError()), "");
    SDLNet_SocketSet full = SDLNet_AllocSocketSet(1);
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(SDLNet_CheckSockets(full, 10), 0);  // an empty set only waits
    SDLNet_FreeSocketSet(full);
}

}  // namespace
