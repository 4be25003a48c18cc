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

struct split_case {
    const char* why;
    const char* argument;
    bool complete;
    const char* user_name;
    const char* password;
    const char* host;
    const char* game_name;
};

const split_case split_cases[] = {
    {"all four fields, the scheme dropped", "rxgen://alice:pw@games.relicade.net/sonic_2", true,
     "alice", "pw", "games.relicade.net", "sonic_2"},
    {"three slashes after the scheme are skipped like two", "zsnes:///bob:x@127.0.0.1/42", true,
     "bob", "x", "127.0.0.1", "42"},
    {"the password may hold colons and slashes", "rxnes://carol:a:b/c//d@host/game/with/slashes",
     true, "carol", "a:b/c//d", "host", "game/with/slashes"},
    {"without @ the password runs to the end", "rxa26://dave:secret/host/game", false, "dave",
     "secret/host/game", "", ""},
    {"leading colons of the password are kept, slashes before the game lost",
     "rxgba://erin:::pw@h//game", true, "erin", "::pw", "h", "game"},
    {"no slash after the host leaves the host and game empty", "rxgen://user:pw@hostonly", false,
     "user", "pw", "", ""},
    {"empty fields between the separators", "rxgen://:@/", true, "", "", "", ""},
    {"a password holding @: the host follows the last @",
     "rxgen://frank:p@ss@games.relicade.net/sonic_2", true, "frank", "p@ss", "games.relicade.net",
     "sonic_2"},
    {"a game id holding @ does not move the host", "rxgen://frank:pw@host/game@2", true, "frank",
     "pw", "host", "game@2"},
    // The game server then refuses the login.
    {"a user name ends at its first colon", "rxnes://a:b:pw@host/1", true, "a", "b:pw", "host",
     "1"},
};

TEST(LaunchArgument, SplitsTheFieldsAtTheirSeparators) {
    for (const split_case& c : split_cases) {
        SCOPED_TRACE(std::string(c.why) + ": " + c.argument);
        bool complete = !c.complete;
        launch_fields f = parse(c.argument, &complete);
        EXPECT_EQ(complete, c.complete);
        EXPECT_EQ(f.user_name, c.user_name);
        EXPECT_EQ(f.password, c.password);
        EXPECT_EQ(f.host, c.host);
        EXPECT_EQ(f.game_name, c.game_name);
    }
}

TEST(LaunchArgument, MissingSeparatorsLeaveLaterFieldsAsTheyWere) {
    launch_fields f;
    f.host = "kept";
    EXPECT_FALSE(parse_launch_argument("no separators at all", f));
    EXPECT_EQ(f.user_name, "");
    EXPECT_EQ(f.host, "kept");
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
