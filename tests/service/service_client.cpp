// The raw socket clients the rx_service tests use.
#include "service_client.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "service/logic/games_folder.h"

namespace rx::service::test {

std::string sample_dir() {
    return program_dir() + "/service";
}

const std::vector<game_record>& catalogue() {
    static const std::vector<game_record> games = [] {
        auto read = read_catalogue_file(sample_dir() + "/catalogue.tsv");
        std::vector<game_record> all = read ? *read : std::vector<game_record>{};
        // The test games of the built games folder are served first, as the service lists them.
        const std::string folder = sample_dir() + "/games/";
        std::vector<std::string> errors;
        const auto real = parse_games_catalogue(
            read_file(folder + games_catalogue_name), "catalogue.txt",
            [&](const std::string& name) -> std::optional<std::uint64_t> {
                const std::string bytes = read_file(folder + name);
                if (bytes.empty()) return std::nullopt;
                return bytes.size();
            },
            {}, errors);
        if (real) all.insert(all.begin(), real->begin(), real->end());
        return all;
    }();
    return games;
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
    return text.size() == 32 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
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

game_client::game_client(const std::string& source, int port) : fd_(connect_from(source, port)) {}

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
