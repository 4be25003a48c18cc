// The message window on a real X display: it shows the wrapped text and the OK button, its caller
// waits, and Enter, Escape or a click on OK closes it and lets the caller go on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "message_folder.h"
#include "x11_windows.h"

namespace {

using namespace rx::test;

// Runs xdotool, bounded, its output discarded.
bool xdotool(const std::string& arguments) {
    return std::system(("timeout 10 xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// Rows of the picture's text area that hold bright (lettering) pixels, counted as separate bands.
int text_bands(const window_picture& picture, int bottom) {
    int bands = 0;
    bool in_band = false;
    for (int y = 0; y < bottom && y < picture.height; ++y) {
        bool bright = false;
        for (int x = 0; x < picture.width && !bright; ++x) {
            const std::uint32_t p = picture.at(x, y);
            bright = ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200;
        }
        if (bright && !in_band) ++bands;
        in_band = bright;
    }
    return bands;
}

struct close_case {
    const char* name;
    const char* action;  // xdotool arguments after the window is focused; %W is the window, %Y the
                         // OK button's middle row
};

class message_window : public ::testing::TestWithParam<close_case> {};

TEST_P(message_window, shows_wrapped_text_and_closes_for_its_caller) {
    const char* display = std::getenv("DISPLAY");
    if (!display) GTEST_SKIP() << "needs an X display";
    x_watch x;
    ASSERT_TRUE(x.connected());
    message_folder folder;
    const std::string caption = std::string("Message test ") + GetParam().name;
    const std::string text =
        "This game could not be started: the Nintendo Entertainment System emulator does not "
        "recognise it.";
    const pid_t pid = folder.start({caption, text}, display, "");
    const Window window = x.wait_for_window(title_is(caption), std::chrono::seconds(20));
    ASSERT_NE(window, 0u) << folder.output();
    // The caller's line is out at once, and the caller waits for the person.
    EXPECT_EQ(folder.output(), caption + ": " + text + "\n");

    // The window is mapped before its first picture is put up; that comes whole, in one flip.
    window_picture picture;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        picture = capture_window(x.display(), window);
    } while ((picture.empty() || text_bands(picture, picture.height) == 0) &&
             std::chrono::steady_clock::now() < deadline);
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(picture.width, 480);
    // Text above the button (40 high, 20 from the bottom) runs over two lines.
    EXPECT_EQ(text_bands(picture, picture.height - 60), 2);
    // The OK button's frame stands in the middle of the bottom row, not the background.
    const std::uint32_t button = picture.at(picture.width / 2, picture.height - 40);
    const std::uint32_t beside = picture.at(10, picture.height - 40);
    EXPECT_NE(button, beside);

    std::string action = GetParam().action;
    const std::string id = std::to_string(window);
    for (std::size_t at = action.find("%W"); at != std::string::npos; at = action.find("%W"))
        action.replace(at, 2, id);
    if (std::size_t at = action.find("%Y"); at != std::string::npos)
        action.replace(at, 2, std::to_string(picture.height - 40));
    ASSERT_TRUE(xdotool("windowfocus --sync " + id));
    ASSERT_TRUE(xdotool(action));
    ASSERT_EQ(wait_exit(pid, 10000), 0) << folder.output();
    EXPECT_EQ(folder.output(), caption + ": " + text + "\nreturned\n");
}

INSTANTIATE_TEST_SUITE_P(
    closes, message_window,
    ::testing::Values(close_case{"Return", "key Return"}, close_case{"Escape", "key Escape"},
                      close_case{"KeypadEnter", "key KP_Enter"},
                      close_case{"ClickOk", "mousemove --window %W 240 %Y click 1"}),
    [](const ::testing::TestParamInfo<close_case>& info) { return std::string(info.param.name); });

}  // namespace
