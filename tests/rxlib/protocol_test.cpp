// Tests for the protocol texts: replies, sizes, progress, web requests and the monitor's reply
// rule.
#include "rxlib/logic/protocol.h"

#include <gtest/gtest.h>

namespace rx::lib {
namespace {

TEST(Protocol, ReplyTextEndsAtTheFirstNul) {
    const char bytes[] = {'o', 'k', '\0', 'x', 'y'};
    EXPECT_EQ(reply_text(bytes, sizeof bytes), "ok");
    EXPECT_EQ(reply_text("abc", 3), "abc");
}

TEST(Protocol, LeadingNumber) {
    EXPECT_EQ(leading_number("12345"), 12345u);
    EXPECT_EQ(leading_number(" 77 bytes"), 77u);
    EXPECT_EQ(leading_number("4294967295"), 4294967295u);
    EXPECT_FALSE(leading_number("4294967296"));
    EXPECT_FALSE(leading_number("size"));
    EXPECT_FALSE(leading_number(""));
    EXPECT_EQ(leading_number("0"), 0u);
}

TEST(Protocol, LoginRepliesAreComparedExactly) {
    EXPECT_EQ(classify_login_reply("ok"), login_reply::ok);
    EXPECT_EQ(classify_login_reply("OK"), login_reply::other);
    EXPECT_EQ(classify_login_reply("ok "), login_reply::other);
    EXPECT_EQ(classify_login_reply("Username in use login again to clear."), login_reply::in_use);
    EXPECT_EQ(classify_login_reply("Incorrect Username or Password"), login_reply::refused);
    EXPECT_EQ(classify_login_reply("Incorrect Username or Password."), login_reply::other);
}

TEST(Protocol, ProgressLineAndItsPosition) {
    EXPECT_EQ(progress_line(4096, 10000), "4096/10000");
    std::string longest = progress_line(4294967295u, 4294967295u);
    EXPECT_EQ(longest.size(), 21u);
    EXPECT_EQ(progress_line_x(200, longest.size()), 74);
    EXPECT_EQ(progress_line_x(400, longest.size()), 274);
}

TEST(Protocol, BarOffsetRunsFromWidthToZero) {
    EXPECT_EQ(bar_offset(300, 0, 1000), 300);
    EXPECT_EQ(bar_offset(300, 500, 1000), 150);
    EXPECT_EQ(bar_offset(300, 999, 1000), 1);
    EXPECT_EQ(bar_offset(600, 1000, 1000), 0);
    // Sizes a float cannot hold exactly still end on a full bar.
    EXPECT_EQ(bar_offset(600, 33554433u, 33554433u), 0);
    EXPECT_EQ(bar_offset(600, 4294967294u, 4294967295u), 1);
    EXPECT_EQ(bar_offset(300, 0, 0), 0);
}

TEST(Protocol, WebRequestsHaveTheirLinesAndHostForms) {
    EXPECT_EQ(*build_web_request(web_request::assert_alive, "a b", "s1", "www.x"),
              "GET /connection/assert_alive.php?username=a b&id=s1 HTTP/1.1\nHost:www.x\n\n");
    EXPECT_EQ(*build_web_request(web_request::free_game, "u", "s", "w"),
              "GET /connection/free_game.php?username=u&id=s HTTP/1.1\nHost: w\n\n");
    EXPECT_EQ(*build_web_request(web_request::check_connection, "u", "s", "w"),
              "GET /connection/clear_free_game_counter.php?username=u&id=s HTTP/1.1\nHost: w\n\n");
}

TEST(Protocol, WebRequestThatWouldNotFitIsRefused) {
    std::string base = *build_web_request(web_request::free_game, "", "", "h");
    std::string fits(511 - base.size(), 'u');
    ASSERT_TRUE(build_web_request(web_request::free_game, fits, "", "h"));
    EXPECT_EQ(build_web_request(web_request::free_game, fits, "", "h")->size(), 511u);
    EXPECT_FALSE(build_web_request(web_request::free_game, fits + "u", "", "h"));
}

TEST(Protocol, ConnectionReplyRule) {
    EXPECT_TRUE(connection_reply_ok("HTTP/1.1 200 OK\r\nA: b\r\n\r\n1"));
    EXPECT_TRUE(connection_reply_ok("HTTP/1.1 200 OK\r\n\r\n10"));
    EXPECT_TRUE(connection_reply_ok("1"));
    EXPECT_FALSE(connection_reply_ok("HTTP/1.1 200 OK\r\n\r\n1\n"));
    EXPECT_FALSE(connection_reply_ok("HTTP/1.1 200 OK\r\n\r\n0"));
    EXPECT_FALSE(connection_reply_ok("HTTP/1.1 200 OK\r\n\r\n"));
    EXPECT_FALSE(connection_reply_ok("HTTP/1.1 200 OK\r\n\r\nok"));
    EXPECT_FALSE(connection_reply_ok(""));
}

TEST(Protocol, SavePathMustFitWithItsNul) {
    std::string folder = "/games/";
    EXPECT_EQ(*save_path(folder, "a.sav"), "/games/a.sav");
    std::string name(259 - folder.size(), 'n');
    EXPECT_TRUE(save_path(folder, name));
    EXPECT_FALSE(save_path(folder, name + "n"));
}

}  // namespace
}  // namespace rx::lib
