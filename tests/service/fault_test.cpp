// Every fault switch of rx_service, observed the way a client sees it.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "service/logic/game_image.h"
#include "service_client.h"

using namespace rx::service;
using namespace rx::service::test;

namespace {

using clock_type = std::chrono::steady_clock;

class Faults : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(service.started()) << service.first_line(); }
    int http() const { return service.http_port(); }
    int game() const { return service.game_port(); }
    void fault(const std::string& name, const std::string& value = "") {
        ASSERT_EQ(body_of(get(http(), "/control?fault=" + name + "&value=" + value)), "ok||EOL");
    }
    void reset() { ASSERT_EQ(body_of(get(http(), "/control?reset=1")), "ok||EOL"); }

    // Sends a request and reports what arrived within `wait_ms` and whether the server closed.
    std::string probe(const std::string& target, int wait_ms, bool& closed) {
        const int fd = connect_to(http());
        const std::string request = client_request(target);
        ::send(fd, request.data(), request.size(), 0);
        std::string data;
        closed = false;
        const auto deadline = clock_type::now() + std::chrono::milliseconds(wait_ms);
        char buffer[4096];
        while (clock_type::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                closed = true;
                break;
            }
            data.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        return data;
    }

    service_process service{{"--hold-ms", "5000"}};
};

const std::string version_target = "/browser/current_version.php";

}  // namespace

TEST_F(Faults, DelayHoldsEveryReply) {
    fault("delay_ms", "800");
    const auto start = clock_type::now();
    EXPECT_EQ(body_of(get(http(), version_target)), "||4.29||EOL");
    EXPECT_GE(clock_type::now() - start, std::chrono::milliseconds(800));
    game_client c(game());
    const auto game_start = clock_type::now();
    EXPECT_EQ(c.send("demo"), "ok");
    EXPECT_GE(clock_type::now() - game_start, std::chrono::milliseconds(800));
    reset();
    const auto quick = clock_type::now();
    get(http(), version_target);
    EXPECT_LT(clock_type::now() - quick, std::chrono::milliseconds(800));
}

TEST_F(Faults, CloseBeforeReplyNeverReplyGarbageKeepOpen) {
    bool closed = false;
    fault("close_before_reply");
    EXPECT_EQ(probe(version_target, 2000, closed), "");
    EXPECT_TRUE(closed);
    reset();

    fault("never_reply");
    EXPECT_EQ(probe(version_target, 700, closed), "");
    EXPECT_FALSE(closed);
    reset();

    fault("garbage");
    const std::string noise = probe(version_target, 2000, closed);
    EXPECT_FALSE(noise.empty());
    EXPECT_NE(noise.rfind("HTTP/", 0), 0u);
    EXPECT_EQ(noise.find("||EOL"), std::string::npos);
    reset();

    fault("keep_open");
    const std::string held = probe(version_target, 1500, closed);
    EXPECT_EQ(body_of(held), "||4.29||EOL");
    EXPECT_FALSE(closed);
    reset();
    EXPECT_EQ(body_of(get(http(), version_target)), "||4.29||EOL");
}

TEST_F(Faults, GameServerCloseAndSilence) {
    fault("close_before_reply");
    game_client a(game());
    a.send_only("demo");
    EXPECT_TRUE(a.closed_by_server());
    reset();
    fault("never_reply");
    game_client b(game());
    b.send_only("demo");
    pollfd p{b.fd(), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 700), 0);  // silent and still open
}

TEST_F(Faults, VersionAndSessionSwitches) {
    fault("version", "4.30");
    EXPECT_EQ(body_of(get(http(), version_target)), "||4.30||EOL");
    fault("version", "");
    EXPECT_EQ(body_of(get(http(), version_target)), "||||EOL");
    reset();

    game_client c(game());
    EXPECT_EQ(c.login("demo", "demo"), "ok");
    const std::string session = c.send("id");
    const std::string target =
        "/connection/clear_free_game_counter.php?username=demo&id=" + session;
    std::string reply = get(http(), target);
    EXPECT_EQ(reply.substr(reply.rfind('\n') + 1), "1");
    fault("session_invalid");
    reply = get(http(), target);
    EXPECT_EQ(reply.substr(reply.rfind('\n') + 1), "0");
}

TEST_F(Faults, LoginSwitches) {
    fault("refuse_logins");
    game_client a(game());
    EXPECT_EQ(a.send("demo"), "ok");
    EXPECT_EQ(a.send("demo"), "Incorrect Username or Password");
    reset();

    fault("user_in_use", "1");
    game_client b(game());
    EXPECT_EQ(b.send("demo"), "ok");
    EXPECT_EQ(b.send("demo"), "Username in use login again to clear.");
    EXPECT_EQ(b.send("demo"), "ok");
    EXPECT_EQ(b.send("demo"), "ok");  // once only, as the client's retry expects

    fault("user_in_use", "2");
    game_client c(game());
    EXPECT_EQ(c.send("player"), "ok");
    EXPECT_EQ(c.send("secret"), "Username in use login again to clear.");
    EXPECT_EQ(c.send("player"), "ok");
    EXPECT_EQ(c.send("secret"), "Username in use login again to clear.");
}

TEST_F(Faults, GameErrorAndTruncatedStream) {
    const game_record* g = find_game([](const game_record& x) {
        return x.system == "SMS" && x.copies == 1 && x.image_size > 64 * 1024;
    });
    ASSERT_NE(g, nullptr);
    fault("game_error", "Game%20is%20resting.");
    game_client a(game());
    EXPECT_EQ(a.login("demo", "demo"), "ok");
    EXPECT_EQ(a.send("op"), "ok");
    EXPECT_EQ(a.send(g->id), "Game is resting.");
    reset();

    fault("truncate_game", "1000");
    game_client b(game());
    EXPECT_EQ(b.login("player", "secret"), "ok");
    EXPECT_EQ(b.send("id").size(), 32u);
    EXPECT_EQ(b.send("op"), "ok");
    EXPECT_EQ(b.send(g->id), "ok");
    const auto expected = compress_game_image(generate_game_image(g->id, g->image_size));
    EXPECT_EQ(b.send("ok"), std::to_string(expected.size()));
    b.send_only("ok");
    const std::string got = b.receive_exactly(expected.size());
    EXPECT_EQ(got, std::string(expected.begin(), expected.begin() + 1000));
    // The copy that never arrived is free again at once.
    const std::string list = body_of(
        get(http(), "/browser/gamelist.php?status=Full&search=1&system=SMS&criteria=^[0-z]&end=1"));
    EXPECT_NE(list.find("||" + g->id + "||1||EOL"), std::string::npos);
}

TEST(FaultFlags, CommandLineSwitchesApplyFromTheStart) {
    service_process service({"--fault", "version=5.0", "--fault", "refuse_logins"});
    ASSERT_TRUE(service.started());
    EXPECT_EQ(body_of(get(service.http_port(), "/browser/current_version.php")), "||5.0||EOL");
    game_client c(service.game_port());
    EXPECT_EQ(c.send("demo"), "ok");
    EXPECT_EQ(c.send("demo"), "Incorrect Username or Password");
    EXPECT_EQ(status_of(get(service.http_port(), "/control?fault=explode")), 400);
}
