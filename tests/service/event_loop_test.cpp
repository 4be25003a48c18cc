// The service's one event loop: many idle connections cost no threads and hold up no one, and a
// client that stops halfway through an exchange loses only its own connection, at its deadline.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

#include "service/logic/game_image.h"
#include "service_client.h"

using namespace rx::service;
using namespace rx::service::test;

namespace {

struct held {
    explicit held(int descriptor) : fd(descriptor) {}
    ~held() {
        if (fd >= 0) ::close(fd);
    }
    int fd;
};

// `count` connections spread over a few loopback addresses, each with one byte of a request sent.
std::vector<std::unique_ptr<held>> open_idle(int port, int count, const char* first_byte) {
    std::vector<std::unique_ptr<held>> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(
            std::make_unique<held>(connect_from("127.0.1." + std::to_string(1 + i % 4), port)));
        if (out.back()->fd >= 0) ::send(out.back()->fd, first_byte, 1, MSG_NOSIGNAL);
    }
    return out;
}

bool still_open(int fd) {
    pollfd p{fd, POLLIN, 0};
    return fd >= 0 && ::poll(&p, 1, 0) == 0;
}

}  // namespace

TEST(EventLoop, IdleConnectionsOnBothPortsCostNoThreadsAndHoldUpNoOne) {
    temp_dir data;
    // Production mode; idle logins are not timed out during the test.
    service_process service({"--password-cost=min", "--login-deadline-ms=60000",
                             "--max-connections=1000", "--max-connections-per-address=1000"},
                            data.path(), false);
    ASSERT_TRUE(service.started()) << service.first_line();
    const int idle = 300;
    auto game_idle = open_idle(service.game_port(), idle, "p");
    auto http_idle = open_idle(service.http_port(), idle, "G");
    for (const auto* flood : {&game_idle, &http_idle})
        for (const auto& c : *flood) ASSERT_TRUE(still_open(c->fd));

    // A thread per connection would show hundreds here.
    const long threads = rx::test::service_status(data.path(), "Threads:");
    EXPECT_GT(threads, 0);
    EXPECT_LE(threads, 8);

    game_client player(service.game_port());
    EXPECT_EQ(player.login("demo", "demo"), "ok");
    EXPECT_TRUE(is_session_id(player.send("id")));
    const game_record* g = find_game([](const game_record& x) {
        return x.copies >= 2 && x.image_size < (1u << 20) && x.system == "GEN" && x.file.empty();
    });
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(player.send("op"), "ok");
    EXPECT_EQ(player.send(g->id), "ok");
    const auto expected = compress_game_image(generate_game_image(g->id, g->image_size));
    EXPECT_EQ(player.send("ok"), std::to_string(expected.size()));
    player.send_only("ok");
    EXPECT_EQ(player.receive_exactly(expected.size()),
              std::string(expected.begin(), expected.end()));
    EXPECT_EQ(body_of(get(service.http_port(),
                          "/browser/checkuser.php?username=player&password="
                          "secret")),
              "||ok||2||EOL");

    // Served alongside, not dropped to make room.
    for (const auto* flood : {&game_idle, &http_idle})
        for (const auto& c : *flood) EXPECT_TRUE(still_open(c->fd));
}

TEST(EventLoop, AClientThatStopsHalfwayLosesOnlyItsOwnConnection) {
    service_process service({"--io-timeout-ms=1000", "--command-deadline-ms=1000"});
    ASSERT_TRUE(service.started()) << service.first_line();
    struct stall {
        const char* what;
        std::vector<std::string> tokens;  // each answered "ok" before the stall
        std::string partial;              // raw bytes sent, then nothing more
    };
    for (const stall& s : std::vector<stall>{
             {"a save's bytes", {"sv", "100", "stalled.srm"}, std::string(10, 'x')},
             {"a save's size", {"sv"}, "10"},
             {"a load's go-ahead", {"ld", "stalled.srm"}, ""},
         }) {
        game_client stalled(service.game_port());
        ASSERT_EQ(stalled.login("player", "secret"), "ok") << s.what;
        for (const auto& t : s.tokens) ASSERT_EQ(stalled.send(t), "ok") << s.what;
        stalled.send_raw(s.partial);

        // Meanwhile another player's store and load go through whole.
        const std::string save(4096, 's');
        game_client other(service.game_port());
        ASSERT_EQ(other.login("demo", "demo"), "ok") << s.what;
        EXPECT_EQ(other.send("sv"), "ok");
        EXPECT_EQ(other.send(std::to_string(save.size())), "ok");
        EXPECT_EQ(other.send("whole.srm"), "ok");
        other.send_raw(save);
        EXPECT_EQ(other.receive_exactly(2), "ok") << s.what;
        EXPECT_EQ(other.send("ld"), "ok");
        EXPECT_EQ(other.send("whole.srm"), "ok");
        EXPECT_EQ(other.send("ok"), std::to_string(save.size()));
        other.send_only("ok");
        EXPECT_EQ(other.receive_exactly(save.size()), save) << s.what;

        EXPECT_TRUE(stalled.closed_by_server(5000)) << s.what;
        // Nothing of the stalled save was stored, and its user logs in again at once (the ended
        // connection no longer counts as the user's).
        game_client again(service.game_port());
        ASSERT_EQ(again.login("player", "secret"), "ok") << s.what;
        EXPECT_EQ(again.send("ld"), "ok");
        EXPECT_EQ(again.send("stalled.srm"), "ok");
        EXPECT_EQ(again.send("ok"), "0") << s.what;
    }
}

TEST(EventLoop, AnHttpRequestTrickledPastItsDeadlineIsAnswered408WhileOthersAreServed) {
    // Each byte comes well within a single read's bound; only the whole request's deadline ends it.
    service_process service({"--io-timeout-ms=600"});
    ASSERT_TRUE(service.started()) << service.first_line();
    const std::string request =
        client_request("/browser/news.php?padding=" + std::string(300, 'p'));
    const int fd = connect_to(service.http_port());
    ASSERT_GE(fd, 0);
    std::string reply;
    for (std::size_t i = 0; i < request.size() && reply.empty(); ++i) {
        ::send(fd, &request[i], 1, MSG_NOSIGNAL);
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0) reply = read_all(fd);
        if (i == 0) {
            // Served while the trickle goes on.
            EXPECT_EQ(status_of(get(service.http_port(), "/browser/news.php")), 200);
        }
    }
    ::close(fd);
    EXPECT_EQ(status_of(reply), 408) << reply;
    EXPECT_EQ(body_of(reply), "error: request incomplete\n");
}
