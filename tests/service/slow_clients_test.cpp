// Slow and numerous connections against the production service: the caps per port and per address
// and the game login's deadline keep both ports open to everyone else.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

#include "service_client.h"
#include "wait.h"

using namespace rx::service::test;
using clock_type = std::chrono::steady_clock;

namespace {

// Held slow connections stay open for the whole test unless a cap closes them.
service_process production(std::vector<std::string> extra) {
    extra.insert(extra.begin(),
                 {"--password-cost=min", "--login-lock-ms=60000", "--login-deadline-ms=60000"});
    return service_process(extra, {}, false);
}

struct held {
    explicit held(int descriptor) : fd(descriptor) {}
    ~held() {
        if (fd >= 0) ::close(fd);
    }
    int fd;
};

// `count` connections from `source`, each sending one byte of a request and nothing more.
std::vector<std::unique_ptr<held>> open_slow(const std::string& source, int port, int count,
                                             const char* first_byte) {
    std::vector<std::unique_ptr<held>> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(std::make_unique<held>(connect_from(source, port)));
        if (out.back()->fd >= 0) ::send(out.back()->fd, first_byte, 1, MSG_NOSIGNAL);
    }
    return out;
}

// True when the server has ended the connection, waiting at most `ms`. A connection closed with
// our byte unread is reset rather than closed: that is ended too.
bool closed(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return false;
    char c;
    const ssize_t n = ::recv(fd, &c, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

std::string http_from(const std::string& source, int port, const std::string& target) {
    const int fd = connect_from(source, port);
    if (fd < 0) return "";
    const std::string request = client_request(target);
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply = read_all(fd);
    ::close(fd);
    return reply;
}

TEST(SlowClients, OneAddressFloodingBothPortsLeavesLoginsToOthersQuick) {
    service_process service = production({});
    ASSERT_TRUE(service.started()) << service.first_line();
    // Well past the 128 per address on each port: the rest are turned away at once.
    const int per_port = 250;
    auto game_flood = open_slow("127.0.0.1", service.game_port(), per_port, "p");
    auto http_flood = open_slow("127.0.0.1", service.http_port(), per_port, "G");
    const auto refused = [&](const std::vector<std::unique_ptr<held>>& flood) {
        int n = 0;
        for (const auto& c : flood) n += c->fd < 0 || closed(c->fd, 0) ? 1 : 0;
        return n;
    };
    EXPECT_TRUE(rx::test::wait_until([&] {
        return refused(game_flood) >= per_port - 128 && refused(http_flood) >= per_port - 128;
    }));

    const auto start = clock_type::now();
    game_client player("127.0.0.2", service.game_port());
    ASSERT_TRUE(player.connected());
    EXPECT_EQ(player.login("player", "secret"), "ok");
    EXPECT_TRUE(is_session_id(player.send("id")));
    EXPECT_LT(clock_type::now() - start, std::chrono::seconds(2));

    const auto web_start = clock_type::now();
    EXPECT_EQ(body_of(http_from("127.0.0.2", service.http_port(),
                                "/browser/checkuser.php?username=demo&password=demo")),
              "||ok||2||EOL");
    EXPECT_LT(clock_type::now() - web_start, std::chrono::seconds(2));
    // The flood's held connections are still the service's to serve, not dropped wholesale.
    EXPECT_FALSE(closed(game_flood.front()->fd, 0));
}

TEST(SlowClients, TheAddressCapCountsOpenConnectionsOnly) {
    service_process service = production({"--max-connections-per-address=8"});
    ASSERT_TRUE(service.started()) << service.first_line();
    auto held_open = open_slow("127.0.0.1", service.game_port(), 8, "p");
    for (const auto& c : held_open) ASSERT_GE(c->fd, 0);
    {
        game_client ninth("127.0.0.1", service.game_port());
        EXPECT_TRUE(ninth.closed_by_server()) << "a ninth from the same address";
    }
    game_client other("127.0.0.3", service.game_port());
    EXPECT_EQ(other.login("demo", "demo"), "ok");
    // One of the eight goes: its place is free again for the same address.
    held_open.pop_back();
    EXPECT_TRUE(rx::test::wait_until(
        [&] {
            game_client again("127.0.0.1", service.game_port());
            return again.send("player") == "ok";
        },
        std::chrono::milliseconds(5000), std::chrono::milliseconds(50)));
}

TEST(SlowClients, ALoginOrACommandTrickledByteByByteEndsAtItsDeadline) {
    // Each byte comes well within the single-read bound; only the exchange's deadline ends it.
    service_process service({"--password-cost=min", "--login-deadline-ms=400",
                             "--command-deadline-ms=400", "--io-timeout-ms=30000"},
                            {}, false);
    ASSERT_TRUE(service.started()) << service.first_line();
    struct exchange {
        const char* what;
        bool logged_in;  // the trickle comes after a login, as a command's token
        std::string first_token;
    };
    for (const exchange& e : std::vector<exchange>{
             {"the user name", false, ""},
             {"the password", false, "player"},
             {"a play's id", true, "pl"},
             {"a save's size", true, "sv"},
         }) {
        game_client slow(service.game_port());
        ASSERT_TRUE(slow.connected());
        if (e.logged_in) {
            ASSERT_EQ(slow.login("player", "secret"), "ok") << e.what;
        }
        if (!e.first_token.empty()) {
            ASSERT_EQ(slow.send(e.first_token), "ok") << e.what;
        }
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            slow.send_raw("1");
            ended = slow.closed_by_server(100);
        }
        EXPECT_TRUE(ended) << e.what << " still coming after 100 bytes over 10 s";
    }
    // An honest login and command on a fresh connection are unaffected.
    game_client quick(service.game_port());
    EXPECT_EQ(quick.login("player", "secret"), "ok");
    EXPECT_TRUE(is_session_id(quick.send("id")));
}

}  // namespace
