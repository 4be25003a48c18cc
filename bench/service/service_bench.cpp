// Timed figures for rx_service: game image build, HTTP request rates (serial and 64 clients), game
// download.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "loopback.h"
#include "service/logic/catalogue.h"
#include "service/logic/game_image.h"
#include "service_process.h"

using namespace rx::service;
using clock_type = std::chrono::steady_clock;

namespace {

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

bool request(int port) {
    const int fd = rx::test::connect_loopback(port);
    if (fd < 0) return false;
    static const std::string text = std::string(
                                        "GET /browser/checkuser.php?username=demo&password=demo "
                                        "HTTP/1.1\nHost: localhost\n\n") +
                                    '\0';
    ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    std::string reply;
    char buffer[2048];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        reply.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return reply.find("||2||EOL") != std::string::npos;
}

std::string token(int fd, const std::string& text, bool read = true) {
    ::send(fd, text.c_str(), text.size() + 1, MSG_NOSIGNAL);
    if (!read) return "";
    char buffer[256] = {};
    const ssize_t n = ::recv(fd, buffer, 255, 0);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

double download(int port, const std::string& game, std::size_t& bytes) {
    const auto start = clock_type::now();
    const int fd = rx::test::connect_loopback(port);
    token(fd, "demo");
    token(fd, "demo");
    token(fd, "10.0.0.7");
    token(fd, "id");
    token(fd, "op");
    token(fd, game);
    const std::size_t size = std::stoul(token(fd, "ok"));
    token(fd, "ok", false);
    std::vector<char> buffer(1 << 16);
    bytes = 0;
    while (bytes < size) {
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (n <= 0) break;
        bytes += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return seconds_since(start);
}

}  // namespace

int main() {
    const std::size_t size = 32u << 20;
    auto start = clock_type::now();
    const auto image = generate_game_image("n64_001.z64", size);
    const double generate = seconds_since(start);
    start = clock_type::now();
    const auto packed = compress_game_image(image);
    const double compress = seconds_since(start);
    std::printf("generate 32 MiB image: %.3f s (%.0f MiB/s)\n", generate, 32 / generate);
    std::printf("compress 32 MiB image: %.3f s, ratio %.2f:1\n", compress,
                static_cast<double>(size) / static_cast<double>(packed.size()));

    rx::test::service_process service;
    if (!service.started()) {
        std::printf("rx_service did not start: %s\n", service.first_line().c_str());
        return 1;
    }
    const int http = service.http_port();
    const int game = service.game_port();

    const int serial = 2000;
    start = clock_type::now();
    int ok = 0;
    for (int i = 0; i < serial; ++i) ok += request(http);
    double t = seconds_since(start);
    std::printf("serial login requests: %d/%d ok, %.0f requests/s\n", ok, serial, serial / t);

    std::atomic<int> parallel_ok{0};
    start = clock_type::now();
    std::vector<std::thread> clients;
    for (int k = 0; k < 64; ++k)
        clients.emplace_back([&] {
            for (int i = 0; i < 50; ++i) parallel_ok += request(http);
        });
    for (auto& th : clients) th.join();
    t = seconds_since(start);
    std::printf("64 clients x 50 login requests: %d/3200 ok, %.0f requests/s\n", parallel_ok.load(),
                3200 / t);

    std::size_t bytes = 0;
    t = download(game, "n64_001.z64", bytes);
    std::printf("32 MiB game, first download (builds the image): %.3f s for %zu bytes\n", t, bytes);
    t = download(game, "n64_001.z64", bytes);
    std::printf("32 MiB game, cached download: %.3f s (%.0f MiB/s compressed)\n", t,
                static_cast<double>(bytes) / (1 << 20) / t);

    return 0;
}
