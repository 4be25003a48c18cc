// Which runs show the message window: only those with a display that SDL may use, and only where
// the window program is installed; every other run keeps the message on standard error and goes on.
#include <gtest/gtest.h>

#include "message_folder.h"

namespace {

using rx::test::message_folder;

struct choice_case {
    const char* name;
    bool installed;
    const char* display;
    const char* driver;
    const char* window_switch;
    bool window;
};

class window_choice : public ::testing::TestWithParam<choice_case> {};

TEST_P(window_choice, follows_display_driver_and_installation) {
    const choice_case& c = GetParam();
    message_folder folder(c.installed);
    ASSERT_EQ(
        rx::test::wait_exit(folder.start({"probe"}, c.display, c.driver, c.window_switch), 10000),
        0);
    const std::string expected =
        c.window ? "window=" + folder.path() + "/rx_message\n" : std::string("window=none\n");
    EXPECT_EQ(folder.output(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    cases, window_choice,
    ::testing::Values(choice_case{"display", true, ":77", "", "", true},
                      choice_case{"display_x11_driver", true, ":77", "x11", "", true},
                      choice_case{"display_window_on", true, ":77", "", "on", true},
                      choice_case{"no_display", true, "", "", "", false},
                      choice_case{"dummy_driver", true, ":77", "dummy", "", false},
                      choice_case{"switched_off", true, ":77", "", "off", false},
                      choice_case{"not_installed", false, ":77", "", "", false}),
    [](const ::testing::TestParamInfo<choice_case>& info) { return std::string(info.param.name); });

// The way the unit tests run every program: a display may be there, but the dummy driver says no
// window. The message must not wait for a click that cannot come.
TEST(headless, message_returns_at_once_with_its_line_on_standard_error) {
    message_folder folder;
    const pid_t pid =
        folder.start({"Relicade", "The game window could not be opened."}, ":77", "dummy");
    ASSERT_EQ(rx::test::wait_exit(pid, 10000), 0) << folder.output();
    EXPECT_EQ(folder.output(), "Relicade: The game window could not be opened.\nreturned\n");
}

}  // namespace
