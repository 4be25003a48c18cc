// Starting rx_service for tests, and the raw socket clients the tests use.
#include "service_process.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace rx::service::test {
namespace fs = std::filesystem;

std::string program_dir() {
    return RX_PROGRAM_DIR;
}
std::string sample_dir() {
    return std::string(RX_PROGRAM_DIR) + "/service";
}

const std::vector<game_record>& catalogue() {
    static const std::vector<game_record> games = [] {
        auto read = read_catalogue_file(sample_dir() + "/catalogue.tsv");
        return read ? *read : std::vector<game_record>{};
    }();
    return games;
}

temp_dir::temp_dir() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    path_ =
        (base / ("rx_service_test_" + std::to_string(::getpid()) + "_" + std::to_string(random())))
            .string();
    fs::create_directories(path_);
}

temp_dir::~temp_dir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

service_process::service_process(const std::string& data_dir,
                                 const std::vector<std::string>& extra) {
    int out[2];
    if (::pipe(out) != 0) return;
    std::vector<std::string> args = {
        program_dir() + "/rx_service", "--data", data_dir, "--http-port", "0", "--game-port", "0"};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    // The first line, read byte by byte with a bounded wait, so a silent service cannot hang the
    // test.
    char c;
    while (first_line_.size() < 200) {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0 || ::read(out[0], &c, 1) != 1 || c == '\n') break;
        first_line_ += c;
    }
    ::close(out[0]);
    int http = 0, game = 0;
    char tail = 0;
    // Exactly the expected line: two numbers and nothing after them.
    if (std::sscanf(first_line_.c_str(), "rx_service listening http=%d game=%d%c", &http, &game,
                    &tail) == 2 &&
        first_line_ ==
            "rx_service listening http=" + std::to_string(http) + " game=" + std::to_string(game)) {
        http_port_ = http;
        game_port_ = game;
    }
}

service_process::~service_process() {
    stop();
}

void service_process::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::vector<std::string> split_fields(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find("||", start);
        fields.push_back(
            text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return fields;
        start = at + 2;
    }
}

bool is_session_id(const std::string& text) {
    return text.size() == 16 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

int connect_to(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    timeval tv{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string read_all(int fd, bool* closed) {
    std::string data;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            if (closed) *closed = n == 0;
            return data;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string http_exchange(int port, const std::string& bytes) {
    const int fd = connect_to(port);
    if (fd < 0) return "";
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    std::string reply = read_all(fd);
    ::close(fd);
    return reply;
}

std::string client_request(const std::string& target, const std::string& version) {
    return "GET " + target + " " + version + "\nHost: localhost\n\n" + std::string(1, '\0');
}

std::string get(int port, const std::string& target, const std::string& version) {
    return http_exchange(port, client_request(target, version));
}

std::string body_of(const std::string& reply) {
    const std::size_t at = reply.find("\r\n\r\n");
    return at == std::string::npos ? "" : reply.substr(at + 4);
}

int status_of(const std::string& reply) {
    if (reply.size() < 12 || reply.compare(0, 5, "HTTP/") != 0) return 0;
    return std::atoi(reply.c_str() + 9);
}

game_client::game_client(int port) : fd_(connect_to(port)) {}

game_client::~game_client() {
    if (fd_ >= 0) ::close(fd_);
}

std::string game_client::send(const std::string& token) {
    send_only(token);
    char buffer[256] = {};
    const ssize_t n = ::recv(fd_, buffer, 255, 0);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

void game_client::send_only(const std::string& token) {
    send_raw(token + std::string(1, '\0'));
}

void game_client::send_raw(const std::string& bytes) {
    ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::string game_client::receive_exactly(std::size_t n) {
    std::string data;
    std::vector<char> buffer(65536);
    while (data.size() < n) {
        const ssize_t got = ::recv(fd_, buffer.data(), std::min(buffer.size(), n - data.size()), 0);
        if (got <= 0) break;
        data.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return data;
}

bool game_client::closed_by_server(int timeout_ms) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) <= 0) return false;
    char c;
    return ::recv(fd_, &c, 1, 0) == 0;
}

std::string game_client::login(const std::string& user, const std::string& password) {
    EXPECT_EQ(send(user), "ok");
    const std::string answer = send(password);
    if (answer == "ok") {
        EXPECT_EQ(send("10.0.0.7"), "ok");
    }
    return answer;
}

}  // namespace rx::service::test
