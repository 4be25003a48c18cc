// Display-free game list, game information, news and launch logic of the catalogue screens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/screens/logic/game_info.h"
#include "browser/screens/logic/game_list.h"
#include "browser/screens/logic/launch.h"
#include "browser/screens/logic/news.h"

namespace rx::catalogue {
namespace {

const char* header = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nX-Note: a|b\r\n\r\n";

TEST(ParseList, ReadsRecordsAndSkipsHeaderAndGaps) {
    std::string reply =
        std::string(header) + "||Sonic the Hedgehog||GEN||sonic.gen||3||EOL\r\n" +
        "junk between||Tetris||GB||tetris.gb||0||EOL\n||Zelda||NES||zelda.nes||-1||EOL";
    // The header's own "|" is not a separator of "||", but the header must be skipped whole.
    reply.replace(reply.find("a|b"), 3, "ab");
    std::vector<game_row> rows;
    ASSERT_TRUE(parse_list(reply, rows));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].title, "Sonic the Hedgehog");
    EXPECT_EQ(rows[0].system_code, "GEN");
    EXPECT_EQ(rows[0].game_id, "sonic.gen");
    EXPECT_EQ(rows[0].availability, 3);
    EXPECT_EQ(rows[1].title, "Tetris");
    EXPECT_EQ(rows[1].availability, 0);
    EXPECT_EQ(rows[2].game_id, "zelda.nes");
    EXPECT_EQ(rows[2].availability, -1);
}

TEST(ParseList, NoSeparatorOrNoWholeRecordGivesNothing) {
    std::vector<game_row> rows;
    EXPECT_FALSE(parse_list("", rows));
    EXPECT_FALSE(parse_list(std::string(header) + "no records today", rows));
    // A separator without a complete record must not crash or invent a row.
    EXPECT_FALSE(parse_list(std::string(header) + "||EOL", rows));
    EXPECT_FALSE(parse_list(std::string(header) + "||Half||GEN||", rows));
    EXPECT_TRUE(rows.empty());
}

TEST(ParseList, KeepsWholeRecordsBeforeACutOne) {
    std::vector<game_row> rows;
    EXPECT_TRUE(parse_list("||A||GEN||a||1||EOL\n||B||GEN||b", rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].title, "A");
}

TEST(ParseList, PlaceholderRow) {
    const game_row p = placeholder_row();
    EXPECT_EQ(p.title, "Search Returned No Game.");
    EXPECT_EQ(p.system_code, "None");
    EXPECT_EQ(p.game_id, "none.non");
    EXPECT_EQ(p.availability, 0);
}

TEST(ListRequest, TargetsForSystemsSamplerAndAccounts) {
    EXPECT_EQ(list_target(2, 7, "GEN", "^[a-b]"),
              "/browser/gamelist.php?status=Full&search=1&system=GEN&criteria=^[a-b]&end=1");
    EXPECT_EQ(list_target(2, 0, "ALL", "^[0-z]"),
              "/browser/gamelist.php?status=Full&search=1&system=ALL&criteria=^[0-z]&end=1");
    EXPECT_EQ(list_target(1, 10, "SNES", "RANDOM"),
              "/browser/gamelist.php?status=Free&search=1&system=SNES&criteria=RANDOM&end=1");
    EXPECT_EQ(list_target(1, 1000, "ALL", "^[a-b]"), "/browser/freegamelist.php?status=Free&end=1");
    EXPECT_EQ(list_target(3, 1000, "ALL", ""), "/browser/freegamelist.php?status=Full&end=1");
    // Search text goes out exactly as typed: blanks and capitals included.
    EXPECT_EQ(list_target(2, 3, "GB", "Super Mario"),
              "/browser/gamelist.php?status=Full&search=1&system=GB&criteria=Super Mario&end=1");
}

TEST(ListRequest, SystemCodesShownOnlyInMixedLists) {
    EXPECT_TRUE(shows_system_codes(0));
    EXPECT_TRUE(shows_system_codes(1000));
    EXPECT_FALSE(shows_system_codes(7));
    EXPECT_FALSE(shows_system_codes(12));
}

TEST(RowTitles, ThirtyWholeThirtyOneShortened) {
    const std::string thirty(30, 'a');
    EXPECT_EQ(shorten_row_title(thirty), thirty);
    const std::string thirty_one = "abcdefghijklmnopqrstuvwxyz01234";
    ASSERT_EQ(thirty_one.size(), 31u);
    EXPECT_EQ(shorten_row_title(thirty_one), "abcdefghijklmnopqrstuvwxyz01...");
    EXPECT_EQ(shorten_info_title(std::string(35, 'x')), std::string(35, 'x'));
    EXPECT_EQ(shorten_info_title(std::string(36, 'x')), std::string(33, 'x') + "...");
}

std::vector<game_row> make_rows(std::size_t n) {
    std::vector<game_row> rows(n, game_row{"T", "GEN", "id", 1});
    return rows;
}

TEST(Scrolling, ButtonsAndWheel) {
    // 20 rows fit the view: nothing scrolls.
    EXPECT_EQ(scroll_down(0, page_step, 20), 0);
    // 41 rows: 250, 500, then clamped to 25 * 41 - 500 = 525.
    int offset = 0;
    offset = scroll_down(offset, page_step, 41);
    EXPECT_EQ(offset, 250);
    offset = scroll_down(offset, page_step, 41);
    EXPECT_EQ(offset, 500);
    offset = scroll_down(offset, page_step, 41);
    EXPECT_EQ(offset, 525);
    EXPECT_EQ(scroll_down(offset, page_step, 41), 525);
    EXPECT_EQ(scroll_up(525, page_step), 275);
    EXPECT_EQ(scroll_up(100, page_step), 0);
    // The wheel moves one row.
    EXPECT_EQ(scroll_down(0, row_height, 41), 25);
    EXPECT_EQ(scroll_down(500, row_height, 41), 525);
    EXPECT_EQ(scroll_down(525, row_height, 41), 525);
    EXPECT_EQ(scroll_up(25, row_height), 0);
    EXPECT_EQ(scroll_up(0, row_height), 0);
    // Long lists reach their last row past SDL's 16-bit coordinates.
    EXPECT_EQ(scroll_down(499400, page_step, 20000), 499500);
}

TEST(RowGeometry, PlayInformationAndEmptySpace) {
    const auto rows = make_rows(3);
    // Left 100 px of a row: play.
    auto hit = hit_row(150, 60, 0, rows);
    EXPECT_EQ(hit.action, row_action::play);
    EXPECT_EQ(hit.row, 0u);
    hit = hit_row(199, 60 + 25, 0, rows);
    EXPECT_EQ(hit.action, row_action::play);
    EXPECT_EQ(hit.row, 1u);
    // The rest: information.
    hit = hit_row(200, 55 + 2 * 25 + 1, 0, rows);
    EXPECT_EQ(hit.action, row_action::information);
    EXPECT_EQ(hit.row, 2u);
    // Beyond the last row: nothing, and no row.
    hit = hit_row(300, 55 + 3 * 25 + 1, 0, rows);
    EXPECT_EQ(hit.action, row_action::none);
    EXPECT_FALSE(hit.on_row);
    // Borders are outside.
    EXPECT_EQ(hit_row(100, 60, 0, rows).action, row_action::none);
    EXPECT_EQ(hit_row(300, 55, 0, rows).action, row_action::none);
    EXPECT_EQ(hit_row(700, 60, 0, rows).action, row_action::none);
    // The scroll offset shifts rows.
    const auto many = make_rows(41);
    hit = hit_row(300, 56, 525, many);
    EXPECT_EQ(hit.row, 21u);
    hit = hit_row(300, 554, 525, many);
    EXPECT_EQ(hit.row, 40u);
}

TEST(RowGeometry, PlaceholderOpensNoInformation) {
    const std::vector<game_row> rows{placeholder_row()};
    EXPECT_EQ(hit_row(150, 60, 0, rows).action, row_action::play);
    const auto hit = hit_row(400, 60, 0, rows);
    EXPECT_EQ(hit.action, row_action::none);
    EXPECT_TRUE(hit.on_row);
}

TEST(Refusals, LinesForUnavailableAndFullOnly) {
    const auto unavailable = refusal_lines(0);
    ASSERT_EQ(unavailable.size(), 1u);
    EXPECT_STREQ(unavailable[0].text,
                 "This game is currently unavailable. All copies are in play.");
    EXPECT_EQ(unavailable[0].x, 50);
    EXPECT_EQ(unavailable[0].y, 280);
    const auto full = refusal_lines(-1);
    ASSERT_EQ(full.size(), 4u);
    EXPECT_STREQ(full[3].text, "Please consider upgrading your account to get full access.");
    EXPECT_EQ(full[3].y, 65);
    EXPECT_TRUE(refusal_lines(2).empty());
}

TEST(ParseInfo, NamesEmptyNamesAndHeader) {
    screenshot_names names;
    ASSERT_TRUE(parse_info(std::string(header) + "||a.png||b.jpg||||||EOL", names));
    EXPECT_EQ(names[0], "a.png");
    EXPECT_EQ(names[1], "b.jpg");
    EXPECT_EQ(names[2], "");
    EXPECT_EQ(names[3], "");
}

TEST(ParseInfo, NoSeparatorLeavesNamesAndShortReplyStopsSafely) {
    screenshot_names names{"old1", "old2", "", ""};
    EXPECT_FALSE(parse_info(std::string(header) + "nothing", names));
    EXPECT_EQ(names[0], "old1");
    // A reply cut after the second name: the later names are empty, nothing is read past the end.
    ASSERT_TRUE(parse_info("||x.png||y.png", names));
    EXPECT_EQ(names[0], "x.png");
    EXPECT_EQ(names[1], "y.png");
    EXPECT_EQ(names[2], "");
}

TEST(ParseInfo, FewerThanFourNamesLeaveTheRestEmptyNotTheEndMarker) {
    screenshot_names names{"old1", "old2", "old3", "old4"};
    ASSERT_TRUE(parse_info(std::string(header) + "||a.png||b.jpg||EOL", names));
    EXPECT_EQ(names, (screenshot_names{"a.png", "b.jpg", "", ""}));
    ASSERT_TRUE(parse_info(std::string(header) + "||a.png||EOL\r\n", names));
    EXPECT_EQ(names, (screenshot_names{"a.png", "", "", ""}));
    ASSERT_TRUE(parse_info(std::string(header) + "||EOL", names));
    EXPECT_EQ(names, (screenshot_names{"", "", "", ""}));
    // A name that merely begins with the marker's letters is a name.
    ASSERT_TRUE(parse_info("||EOLIAN.png||EOL", names));
    EXPECT_EQ(names, (screenshot_names{"EOLIAN.png", "", "", ""}));
}

TEST(ParseInfo, ScreenshotBodyAfterHeader) {
    const std::string reply =
        std::string("HTTP/1.0 200 OK\r\n\r\n") + std::string("\x89PNG\0\r\n\r\nz", 9);
    EXPECT_EQ(screenshot_body(reply), std::string("\x89PNG\0\r\n\r\nz", 9));
    EXPECT_TRUE(screenshot_body("no header end").empty());
    EXPECT_EQ(info_target("sonic.gen"), "/browser/browser_gameinfo.php?game=sonic.gen");
    EXPECT_EQ(screenshot_target("s1.png"), "/info_img/s1.png");
}

TEST(News, FieldsSplitByRunsOfBars) {
    auto f = split_news(
        "HTTP/1.1 200 OK\r\nServer: x\r\n\r\n||Big news||7 December||Body text here||EOL");
    EXPECT_EQ(f[0], "Big news");
    EXPECT_EQ(f[1], "7 December");
    EXPECT_EQ(f[2], "Body text here");
    f = split_news("HTTP/1.1 200 OK\r\n\r\n|one|||||two||||||||three|EOL");
    EXPECT_EQ(f[0], "one");
    EXPECT_EQ(f[1], "two");
    EXPECT_EQ(f[2], "three");
    f = split_news("no bars at all");
    EXPECT_EQ(f[0], "");
    EXPECT_EQ(f[2], "");
}

TEST(News, WrapsAtTheWordAfterTheFortyFifthCharacter) {
    const std::string forty_four = "aaaaaaaaaa bbbbbbbbbb cccccccccc ddddddddd e";
    ASSERT_EQ(forty_four.size(), 44u);
    EXPECT_EQ(wrap_news_body(forty_four), std::vector<std::string>{forty_four});

    // Words at 0, 40 and 50 in 60 characters: the first 50 characters, then the last 10.
    std::string sixty =
        std::string(39, 'a') + " " + std::string(9, 'b') + " " + std::string(10, 'c');
    ASSERT_EQ(sixty.size(), 60u);
    const auto lines = wrap_news_body(sixty);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], sixty.substr(0, 50));
    EXPECT_EQ(lines[1], std::string(10, 'c'));

    // A word longer than a line stays whole.
    const std::string long_word(50, 'w');
    const auto long_lines = wrap_news_body(long_word + " next");
    ASSERT_EQ(long_lines.size(), 2u);
    EXPECT_EQ(long_lines[0], long_word + " ");
    EXPECT_EQ(long_lines[1], "next");
    EXPECT_TRUE(wrap_news_body("").empty());
    EXPECT_EQ(wrap_news_body("   ").size(), 1u);
}

TEST(Launch, ArgumentKeepsColonAndAtUnchanged) {
    EXPECT_EQ(launch_argument(L"rxgen://", L"us:er@x", L"p@ss:wd", "games.example", "sonic.gen"),
              L"rxgen://us:er@x:p@ss:wd@games.example/sonic.gen");
    // The game id is widened byte by byte.
    EXPECT_EQ(launch_argument(L"zsnes://", L"a", L"b", "h", "\xe9t\xe9"),
              std::wstring(L"zsnes://a:b@h/") + wchar_t(0xE9) + L"t" + wchar_t(0xE9));
}

TEST(Launch, StatusPathHasNoBlankLeft) {
    const std::string path =
        status_path(L"joe bloggs", "Golden Axe", "Sega Genesis", "http://www.example.net");
    EXPECT_EQ(
        path,
        "/browser/status_update.php?username=joe_bloggs&current_status=is_playing_Golden_Axe_for_"
        "the_Sega_Genesis_at_http://www.example.net&end=1");
    EXPECT_EQ(path.find(' '), std::string::npos);
    EXPECT_EQ(status_path(std::wstring(600, L'u'), "t", "d", "w").size(), 511u);
}

}  // namespace
}  // namespace rx::catalogue
