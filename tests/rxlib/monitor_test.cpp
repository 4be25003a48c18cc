// Tests for the connection check and the monitor thread against a scripted web host, with shortened
// timing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "harness.h"
#include "rxlib/library_state.h"

namespace rx::lib {
namespace {

std::string log_text() {
    return test::read_file(executable_folder() + "rxlib_error_log.txt");
}

class Monitor : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    void point_at(const test::fake_web& web) {
        setenv("RELICADE_WEB_HOST", ("127.0.0.1:" + std::to_string(web.port())).c_str(), 1);
        session().user_name = "player";
        session().session_id = "S-1";
    }
};

TEST_F(Monitor, CheckSendsTheRequestAndJudgesTheLastLine) {
    test::fake_web web({"1", "10", "1\n", "0", "", "ok"});
    point_at(web);
    EXPECT_TRUE(check_connection("player", "S-1"));
    EXPECT_TRUE(check_connection("player", "S-1"));
    EXPECT_FALSE(check_connection("player", "S-1"));
    EXPECT_FALSE(check_connection("player", "S-1"));
    EXPECT_FALSE(check_connection("player", "S-1"));
    EXPECT_FALSE(check_connection("player", "S-1"));
    std::vector<std::string> requests = web.requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[0],
              "GET /connection/clear_free_game_counter.php?username=player&id=S-1 HTTP/1.1\n"
              "Host: 127.0.0.1\n\n");
}

TEST_F(Monitor, FailedCheckLogsInvalidReplyAndTheWholeReply) {
    const std::string marker = "0 failed-check-" + std::to_string(std::rand());
    test::fake_web web({marker});
    point_at(web);
    EXPECT_FALSE(check_connection("player", "S-1"));
    std::string log = log_text();
    std::size_t at =
        log.find("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n" + marker + "\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(log.rfind("Invalid Reply:\n", at), at - std::string("Invalid Reply:\n").size());
}

TEST_F(Monitor, UnreachableHostFailsTheCheck) {
    setenv("RELICADE_WEB_HOST", "127.0.0.1:1", 1);
    EXPECT_FALSE(check_connection("player", "S-1"));
    EXPECT_NE(log_text().find("check_connection - SDLNet_TCP_Open Failed"), std::string::npos);
}

TEST_F(Monitor, UnresolvableWebHostFallsBackToTheFallbackAddress) {
    test::fake_web web({"1"});
    setenv("RELICADE_WEB_HOST", ("no-such-host.invalid:" + std::to_string(web.port())).c_str(), 1);
    setenv("RELICADE_FALLBACK_ADDRESS", "127.0.0.1", 1);
    EXPECT_TRUE(check_connection("player", "S-1"));
    ASSERT_EQ(web.requests().size(), 1u);
    // The Host line still names the web host.
    EXPECT_NE(web.requests()[0].find("\nHost: no-such-host.invalid\n"), std::string::npos);
}

// The child starts the monitor and reports what the emulator would see; the monitor ends the child.
void watch_monitor(test::fake_web& web, unsigned period_ms) {
    set_monitor_timing({period_ms, 3, 20});
    session().connected = 1;
    session().shutdown_count = 30;
    if (!start_monitor()) std::exit(7);
    while (session().connected) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::fprintf(stderr, "disconnected after %zu checks\n", web.requests().size());
    int last = -1;
    for (;;) {
        int count = session().shutdown_count;
        if (count != last) std::fprintf(stderr, "count %d\n", count);
        last = count;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string countdown_pattern() {
    std::string pattern;
    for (int i = 30; i >= 1; --i) pattern += "count " + std::to_string(i) + "\n";
    return pattern;
}

TEST_F(Monitor, TwoFailuresThenSuccessResetTheCountAndThreeFailuresRunTheCountdown) {
    test::fake_web web({"0", "0", "1", "0", "0", "0"});
    point_at(web);
    EXPECT_EXIT(watch_monitor(web, 30), ::testing::ExitedWithCode(0),
                "disconnected after 6 checks\n" + countdown_pattern());
}

TEST_F(Monitor, ThreeFailuresInARowEndTheProcessAfterTheCountdown) {
    test::fake_web web({"0", "1\n", "0"});
    point_at(web);
    EXPECT_EXIT(watch_monitor(web, 30), ::testing::ExitedWithCode(0),
                "disconnected after 3 checks\n" + countdown_pattern());
}

}  // namespace
}  // namespace rx::lib
