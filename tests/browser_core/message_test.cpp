// The message line: how many frames a message stays, restarting, and what an empty text draws.
#include <gtest/gtest.h>

#include "tests/browser_core/sdl_support.h"
#include "widgets/display_message.h"

namespace rx {
namespace {

class MessageTest : public test::sdl_test {};

int frames_shown(display_message& message) {
    int frames = 0;
    while (!message.hidden() && frames < 100000) {
        message.show();
        ++frames;
    }
    return frames;
}

TEST_F(MessageTest, StaysForNPlusOneTimesSixtyPlusOneFrames) {
    display_message message("NEURPOLI.TTF", 20, 255, 255, 255);
    EXPECT_TRUE(message.hidden());
    message.show();  // hidden: nothing counts
    EXPECT_EQ(message.frame_counter(), 0);
    for (int seconds : {0, 1, 5}) {
        message.set_message(seconds, "Incorrect Username or password.");
        EXPECT_FALSE(message.hidden());
        EXPECT_EQ(frames_shown(message), (seconds + 1) * 60 + 1) << seconds;
    }
}

TEST_F(MessageTest, NewMessageReplacesAndRestartsTheCount) {
    display_message message("NEURPOLI.TTF", 20, 255, 255, 255);
    message.set_message(1, "first");
    for (int i = 0; i < 100; ++i) message.show();
    EXPECT_EQ(message.frame_counter(), 100);
    message.set_message(1, "second");
    EXPECT_EQ(message.frame_counter(), 0);
    EXPECT_EQ(message.text(), "second");
    EXPECT_EQ(frames_shown(message), 121);
}

TEST_F(MessageTest, DrawsAtTopLeftAndEmptyTextDrawsNothing) {
    RX_REQUIRE_ARTWORK();
    SDL_Surface* screen = SDL_GetVideoSurface();
    display_message message("NEURPOLI.TTF", 20, 255, 255, 255);
    SDL_FillRect(screen, nullptr, 0);
    message.set_message(5, "Incorrect Username or password.");
    message.show();
    int lit = 0;
    const Uint32 white = SDL_MapRGB(screen->format, 255, 255, 255);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 300; ++x) lit += test::pixel(screen, x, y) == white ? 1 : 0;
    }
    EXPECT_GT(lit, 50);
    EXPECT_EQ(test::pixel(screen, 700, 500), 0u);

    // Clearing the line: an empty text draws nothing, yet the old text is gone at once.
    SDL_FillRect(screen, nullptr, 0);
    message.set_message(1, "");
    message.show();
    EXPECT_FALSE(message.hidden());
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 300; ++x) ASSERT_EQ(test::pixel(screen, x, y), 0u);
    }
}

}  // namespace
}  // namespace rx
