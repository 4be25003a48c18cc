// Tests for taking the launch argument apart.
#include "rxlib/logic/launch_argument.h"

#include <gtest/gtest.h>

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

TEST(LaunchArgument, LeadingColonsOfThePasswordAndSlashesOfTheGameAreLost) {
    launch_fields f = parse("rxgba://erin:::pw@h//game");
    EXPECT_EQ(f.user_name, "erin");
    EXPECT_EQ(f.password, "pw");
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

}  // namespace
}  // namespace rx::lib
