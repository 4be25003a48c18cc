// The web transport against a scripted loopback server: request bytes, the three receive modes,
// failures, bounds.
#include <SDL_net.h>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>

#include "net/web_transport.h"
#include "test_server.h"

using rx_test::test_server;
namespace web = rx::web;

namespace {

class transport : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_EQ(SDLNet_Init(), 0); }
    static void TearDownTestSuite() { SDLNet_Quit(); }

    void SetUp() override { setenv("RELICADE_FALLBACK_ADDRESS", "127.0.0.1", 1); }

    web::request make_request(std::uint16_t port, web::receive_mode mode,
                              std::size_t chunk = 2048) {
        web::request req;
        req.host = rx::config::endpoint{"localhost", port};
        req.target = "/browser/news.php";
        req.mode = mode;
        req.chunk_size = chunk;
        req.silence_ms = 1000;
        return req;
    }

    web::reply get(const web::request& req) {
        return web::http_get(req, [this](std::string_view line) { log.emplace_back(line); });
    }

    std::vector<std::string> log;
};

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(transport, request_bytes_use_single_line_feeds_and_end_in_a_nul) {
    test_server server(
        [](test_server&, int fd, const std::string&) { test_server::send_all(fd, "x||EOL"); });
    web::request req = make_request(server.port(), web::receive_mode::marker);
    req.target = "/browser/gamelist.php?status=Full&search=1&system=GEN&criteria=sonic the&end=1";
    req.version = "HTTP/1.0";
    EXPECT_TRUE(get(req).ok);
    ASSERT_TRUE(server.wait_for_requests(1));
    const std::string expected =
        std::string(
            "GET /browser/gamelist.php?status=Full&search=1&system=GEN&criteria=sonic the&end=1 "
            "HTTP/1.0\n"
            "Host: localhost\n\n") +
        '\0';
    EXPECT_EQ(server.requests()[0], expected);
}

TEST_F(transport, unresolvable_name_falls_back_to_the_numeric_address_but_keeps_the_host_line) {
    test_server server(
        [](test_server&, int fd, const std::string&) { test_server::send_all(fd, "a||EOL"); });
    web::request req = make_request(server.port(), web::receive_mode::marker);
    req.host.host = "no-such-host.invalid";
    req.operation = "login";
    web::reply reply = get(req);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.text, "a||EOL");
    ASSERT_TRUE(server.wait_for_requests(1));
    EXPECT_NE(server.requests()[0].find("\nHost: no-such-host.invalid\n\n"), std::string::npos);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Failure resolving host - login");
}

TEST_F(transport,
       marker_mode_stops_at_the_receive_that_completes_the_marker_on_an_open_connection) {
    test_server server([](test_server& s, int fd, const std::string&) {
        test_server::send_all(fd, "HTTP/1.1 200 OK\r\n\r\n||1||E");
        test_server::pause_ms(100);
        test_server::send_all(fd, "OL");
        s.hold_open();
    });
    auto start = std::chrono::steady_clock::now();
    web::request req = make_request(server.port(), web::receive_mode::marker);
    req.silence_ms = 5000;
    web::reply reply = get(req);
    EXPECT_LT(seconds_since(start), 2.0);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.text, "HTTP/1.1 200 OK\r\n\r\n||1||EOL");
    EXPECT_TRUE(log.empty());
}

TEST_F(transport, marker_at_the_very_start_does_not_end_the_reply) {
    test_server server([](test_server&, int fd, const std::string&) {
        test_server::send_all(fd, "||EOL");
        test_server::pause_ms(100);
        test_server::send_all(fd, "rest");
    });
    web::reply reply = get(make_request(server.port(), web::receive_mode::marker));
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.text, "||EOLrest");
}

TEST_F(transport, close_mode_reads_every_chunk_to_the_end) {
    std::string body;
    for (int i = 0; i < 300; ++i) body += "row" + std::to_string(i) + "||";
    test_server server([body](test_server&, int fd, const std::string&) {
        test_server::send_all(fd, body.substr(0, 700));
        test_server::pause_ms(50);
        test_server::send_all(fd, body.substr(700) + "||EOL");
    });
    web::reply reply = get(make_request(server.port(), web::receive_mode::close, 512));
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.text, body + "||EOL");
    EXPECT_EQ(reply.last_result, 0);
}

TEST_F(transport, a_nul_inside_a_chunk_ends_that_chunks_text_only) {
    test_server server([](test_server&, int fd, const std::string&) {
        test_server::send_all(fd, std::string("ab\0cd", 5));
        test_server::pause_ms(100);
        test_server::send_all(fd, "ef");
    });
    web::reply reply = get(make_request(server.port(), web::receive_mode::close, 256));
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.text, "abef");
}

TEST_F(transport, raw_mode_keeps_nul_bytes_and_refuses_replies_beyond_the_limit) {
    std::string image(70000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
    {
        test_server server([image](test_server&, int fd, const std::string&) {
            test_server::send_all(fd, image);
        });
        web::reply reply = get(make_request(server.port(), web::receive_mode::raw));
        EXPECT_TRUE(reply.ok);
        EXPECT_EQ(reply.text, image);
    }
    test_server big([](test_server&, int fd, const std::string&) {
        test_server::send_all(fd, std::string(web::raw_limit + 1, 'x'));
    });
    web::request req = make_request(big.port(), web::receive_mode::raw);
    req.target = "/info_img/123.png";
    web::reply reply = get(req);
    EXPECT_FALSE(reply.ok);
    EXPECT_TRUE(reply.text.empty());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Failure reply too large - /info_img/123.png");
}

TEST_F(transport, raw_mode_accepts_exactly_the_limit) {
    test_server server([](test_server&, int fd, const std::string&) {
        test_server::send_all(fd, std::string(web::raw_limit, 'y'));
    });
    web::reply reply = get(make_request(server.port(), web::receive_mode::raw));
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.text.size(), web::raw_limit);
}

TEST_F(transport, a_silent_server_fails_the_exchange_within_the_bound) {
    test_server server([](test_server& s, int, const std::string&) { s.hold_open(); });
    for (auto mode :
         {web::receive_mode::marker, web::receive_mode::close, web::receive_mode::raw}) {
        log.clear();
        web::request req = make_request(server.port(), mode);
        req.target = "/browser/checkuser.php?username=a&password=secret";
        req.operation = "login";
        auto start = std::chrono::steady_clock::now();
        web::reply reply = get(req);
        const double elapsed = seconds_since(start);
        EXPECT_FALSE(reply.ok);
        EXPECT_GE(elapsed, 0.9);
        EXPECT_LT(elapsed, 2.5);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], "Failure receiving data - login");
    }
}

TEST_F(transport, silence_after_partial_data_still_fails_and_never_logs_the_query) {
    test_server server([](test_server& s, int fd, const std::string&) {
        test_server::send_all(fd, "HTTP/1.1 200 OK\r\n\r\n||half");
        s.hold_open();
    });
    web::request req = make_request(server.port(), web::receive_mode::marker);
    req.target = "/browser/browser_gameinfo.php?game=secret";
    web::reply reply = get(req);
    EXPECT_FALSE(reply.ok);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Failure receiving data - /browser/browser_gameinfo.php");
}

TEST_F(transport, a_server_that_trickles_without_end_fails_at_the_deadline) {
    // A byte every 50 ms never lets the silence bound fire.
    test_server server([](test_server& s, int fd, const std::string&) {
        test_server::send_all(fd, "HTTP/1.1 200 OK\r\n\r\n");
        while (!s.stopping()) {
            test_server::send_all(fd, "x");
            test_server::pause_ms(50);
        }
    });
    for (auto mode : {web::receive_mode::marker, web::receive_mode::close}) {
        log.clear();
        web::request req = make_request(server.port(), mode, 256);
        req.operation = "update_facebook_status";
        req.deadline_ms = 700;
        auto start = std::chrono::steady_clock::now();
        web::reply reply = get(req);
        const double elapsed = seconds_since(start);
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.last_result, -1);
        EXPECT_GE(elapsed, 0.6);
        EXPECT_LT(elapsed, 2.0);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], "Failure receiving data - update_facebook_status");
    }
}

TEST_F(transport, a_text_reply_beyond_the_limit_fails_and_keeps_nothing) {
    const std::string flood(web::text_limit + 1, 'y');
    test_server server(
        [&flood](test_server&, int fd, const std::string&) { test_server::send_all(fd, flood); });
    for (auto mode : {web::receive_mode::marker, web::receive_mode::close}) {
        log.clear();
        web::request req = make_request(server.port(), mode, 4096);
        req.operation = "login";
        web::reply reply = get(req);
        EXPECT_FALSE(reply.ok);
        EXPECT_TRUE(reply.text.empty());
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], "Failure reply too large - login");
    }
    // Exactly the limit is still a reply.
    const std::string whole(web::text_limit, 'z');
    test_server exact(
        [&whole](test_server&, int fd, const std::string&) { test_server::send_all(fd, whole); });
    web::reply reply = get(make_request(exact.port(), web::receive_mode::close, 4096));
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.text.size(), web::text_limit);
}

TEST_F(transport, send_only_mode_reads_nothing) {
    test_server server([](test_server& s, int, const std::string&) { s.hold_open(); });
    auto start = std::chrono::steady_clock::now();
    web::reply reply = get(make_request(server.port(), web::receive_mode::none));
    EXPECT_TRUE(reply.ok);
    EXPECT_LT(seconds_since(start), 0.5);
    EXPECT_TRUE(server.wait_for_requests(1));
}

TEST_F(transport, a_request_beyond_the_buffer_is_refused_unsent) {
    test_server server(nullptr);
    web::request req = make_request(server.port(), web::receive_mode::marker);
    req.operation = "login";
    req.target.clear();
    const std::size_t fixed =
        web::format_request(req).size() + 1;  // everything but the target, NUL included
    req.target = "/" + std::string(512 - fixed - 1, 'a');
    EXPECT_EQ(web::format_request(req).size() + 1, 512u);
    EXPECT_TRUE(get(req).ok) << "a request of exactly 512 bytes with its NUL fits";
    req.target += "a";
    log.clear();
    EXPECT_FALSE(get(req).ok);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Failure request too long - login");
    test_server::pause_ms(100);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(transport, a_closed_port_fails_at_once_with_the_operations_messages) {
    web::request req = make_request(rx_test::closed_port(), web::receive_mode::marker);
    req.operation = "login";
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(get(req).ok);
    EXPECT_LT(seconds_since(start), 1.0);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Failure opening socket - login");

    log.clear();
    req.operation = "check_version";
    req.three_line_open_failure = true;
    EXPECT_FALSE(get(req).ok);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "Failure opening socket -");
    EXPECT_EQ(log[2], " - check_version");

    log.clear();
    req.operation.clear();
    req.three_line_open_failure = false;
    EXPECT_FALSE(get(req).ok);
    EXPECT_TRUE(log.empty()) << "endpoints without named messages fail the open silently";
}

TEST_F(transport, a_connect_that_is_never_answered_fails_within_the_bound) {
    // A listener whose accept queue is full drops further connection attempts without answering.
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(fd);
    }
    test_server::pause_ms(200);

    web::request req = make_request(ntohs(address.sin_port), web::receive_mode::marker);
    req.operation = "check_version";
    req.three_line_open_failure = true;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(get(req).ok);
    const double elapsed = seconds_since(start);
    EXPECT_GE(elapsed, 0.9);
    EXPECT_LT(elapsed, 2.0);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1], "Connection timed out");
    for (int fd : fillers) ::close(fd);
    ::close(listener);
}

TEST_F(transport, both_resolutions_failing_logs_sdls_error_text) {
    setenv("RELICADE_FALLBACK_ADDRESS", "also-not-a-host.invalid", 1);
    web::request req = make_request(80, web::receive_mode::marker);
    req.host.host = "no-such-host.invalid";
    req.operation = "logout";
    EXPECT_FALSE(get(req).ok);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "Failure resolving host - logout");
    EXPECT_FALSE(log[1].empty());
}

TEST_F(transport, a_peer_that_resets_the_connection_is_an_ordinary_failure) {
    struct sigaction current {};
    sigaction(SIGPIPE, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_IGN) << "a send to a reset peer would end the program";

    test_server server([](test_server&, int fd, const std::string&) {
        linger hard{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    });
    for (int i = 0; i < 20; ++i) {
        web::reply reply = get(make_request(server.port(), web::receive_mode::marker));
        EXPECT_TRUE(!reply.ok || reply.last_result <= 0);
        EXPECT_EQ(reply.text, "");
    }
}

}  // namespace
