// Tests for taking the launch argument apart.
#include "rxlib/logic/launch_argument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/base/logic/session_text.h"
#include "browser/screens/logic/launch.h"

namespace rx::lib {
namespace {

launch_fields parse(const char* text, bool* complete = nullptr) {
    launch_fields fields;
    bool all = parse_launch_argument(text, fields);
    if (complete) *complete = all;
    return fields;
}

TEST(LaunchArgument, SplitsAllFourFieldsAndDropsTheScheme) {
    bool complete = false;
    launch_fields f = parse("rxgen://alice:pw@games.relicade.net/sonic_2", &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(f.user_name, "alice");
    EXPECT_EQ(f.password, "pw");
    EXPECT_EQ(f.host, "games.relicade.net");
    EXPECT_EQ(f.game_name, "sonic_2");
}

TEST(LaunchArgument, ThreeSlashesAfterTheSchemeAreSkippedLikeTwo) {
    launch_fields f = parse("zsnes:///bob:x@127.0.0.1/42");
    EXPECT_EQ(f.user_name, "bob");
    EXPECT_EQ(f.password, "x");
    EXPECT_EQ(f.host, "127.0.0.1");
    EXPECT_EQ(f.game_name, "42");
}

TEST(LaunchArgument, PasswordMayHoldColonsAndSlashes) {
    launch_fields f = parse("rxnes://carol:a:b/c//d@host/game/with/slashes");
    EXPECT_EQ(f.user_name, "carol");
    EXPECT_EQ(f.password, "a:b/c//d");
    EXPECT_EQ(f.host, "host");
    EXPECT_EQ(f.game_name, "game/with/slashes");
}

TEST(LaunchArgument, WithoutAtThePasswordRunsToTheEndAndHostAndGameStayEmpty) {
    bool complete = true;
    launch_fields f = parse("rxa26://dave:secret/host/game", &complete);
    EXPECT_FALSE(complete);
    EXPECT_EQ(f.user_name, "dave");
    EXPECT_EQ(f.password, "secret/host/game");
    EXPECT_EQ(f.host, "");
    EXPECT_EQ(f.game_name, "");
}

TEST(LaunchArgument, LeadingColonsOfThePasswordAreKeptAndSlashesOfTheGameAreLost) {
    launch_fields f = parse("rxgba://erin:::pw@h//game");
    EXPECT_EQ(f.user_name, "erin");
    EXPECT_EQ(f.password, "::pw");
    EXPECT_EQ(f.host, "h");
    EXPECT_EQ(f.game_name, "game");
}

TEST(LaunchArgument, MissingSeparatorsLeaveLaterFieldsAsTheyWere) {
    launch_fields f;
    f.host = "kept";
    EXPECT_FALSE(parse_launch_argument("no separators at all", f));
    EXPECT_EQ(f.user_name, "");
    EXPECT_EQ(f.host, "kept");

    launch_fields g = parse("rxgen://user:pw@hostonly");
    EXPECT_EQ(g.password, "pw");
    EXPECT_EQ(g.host, "");
    EXPECT_EQ(g.game_name, "");
}

TEST(LaunchArgument, EmptyFieldsBetweenSeparators) {
    launch_fields f = parse("rxgen://:@/");
    EXPECT_EQ(f.user_name, "");
    EXPECT_EQ(f.password, "");
    EXPECT_EQ(f.host, "");
    EXPECT_EQ(f.game_name, "");
}

TEST(LaunchArgument, PasswordHoldingAtSurvivesAndTheHostFollowsTheLastAt) {
    launch_fields f = parse("rxgen://frank:p@ss@games.relicade.net/sonic_2");
    EXPECT_EQ(f.user_name, "frank");
    EXPECT_EQ(f.password, "p@ss");
    EXPECT_EQ(f.host, "games.relicade.net");
    EXPECT_EQ(f.game_name, "sonic_2");

    // A game id holding "@" does not move the host.
    launch_fields g = parse("rxgen://frank:pw@host/game@2");
    EXPECT_EQ(g.password, "pw");
    EXPECT_EQ(g.host, "host");
    EXPECT_EQ(g.game_name, "game@2");
}

TEST(LaunchArgument, UserNameEndsAtItsFirstColon) {
    // A user name holding ":" gives its tail to the password; the game server then refuses the
    // login.
    launch_fields f = parse("rxnes://a:b:pw@host/1");
    EXPECT_EQ(f.user_name, "a");
    EXPECT_EQ(f.password, "b:pw");
    EXPECT_EQ(f.host, "host");
}

// Every password the login box takes (Latin-1 from 33 up, at most 20 characters) comes back from
// the argument the browser writes, through the narrowing the emulator start applies.
TEST(LaunchArgument, EveryLoginBoxPasswordSurvivesTheRoundTrip) {
    std::vector<std::wstring> passwords = {L"p@ss",
                                           L"@",
                                           L"@@",
                                           L"a@b@c",
                                           L":lead",
                                           L"::",
                                           L"trail:",
                                           L"/",
                                           L"a/b@c:d",
                                           L"@host/x",
                                           L"x@",
                                           L"/@/:",
                                           L"\u00e9t\u00e9@\u00ff",
                                           L"12345678901234567890"};
    // Each single character, and each at the start, middle and end of a password.
    for (unsigned c = 33; c <= 255; ++c) {
        if (c > 127 && c < 160) continue;
        std::wstring one(1, static_cast<wchar_t>(c));
        passwords.push_back(one);
        passwords.push_back(one + L"ab");
        passwords.push_back(L"a" + one + L"b");
        passwords.push_back(L"ab" + one);
    }
    for (const std::wstring& password : passwords) {
        std::string argument = rx::narrow_text(
            catalogue::launch_argument(L"rxgen://", L"user", password, "emu.host", "game_7"));
        launch_fields f = parse(argument.c_str());
        EXPECT_EQ(f.user_name, "user") << argument;
        EXPECT_EQ(f.password, rx::narrow_text(password)) << argument;
        EXPECT_EQ(f.host, "emu.host") << argument;
        EXPECT_EQ(f.game_name, "game_7") << argument;
    }
}

}  // namespace
}  // namespace rx::lib
