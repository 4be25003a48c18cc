// Under a real X server: the Pause key seen from outside our window; a hidden window shown again.
// clang-format off
// gtest comes first: the X11 headers pulled in by SDL_syswm.h define macros (None, Bool) it trips over.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/input.h"
// clang-format on

#if defined(RX_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#define RX_TEST_X11 1
#endif

namespace {

bool have_display() {
    const char* d = std::getenv("DISPLAY");
    return d != nullptr && d[0] != '\0';
}

bool wait_for(bool wanted) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end) {
        if (rx::platform::pause_key_down() == wanted) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(PauseKey, HeldPauseKeyIsSeenWithoutAWindow) {
    if (!have_display()) GTEST_SKIP() << "needs an X display";
    ASSERT_EQ(std::system("xdotool keyup Pause"), 0);
    EXPECT_TRUE(wait_for(false));
    ASSERT_EQ(std::system("xdotool keydown Pause"), 0);
    EXPECT_TRUE(wait_for(true));
    ASSERT_EQ(std::system("xdotool keyup Pause"), 0);
    EXPECT_TRUE(wait_for(false));
}

#ifdef RX_TEST_X11
TEST(RestoreWindow, AnUnmappedWindowIsShownAgain) {
    if (!have_display()) GTEST_SKIP() << "needs an X display";
    setenv("SDL_VIDEODRIVER", "x11", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(320, 240, 0, SDL_SWSURFACE), nullptr) << SDL_GetError();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_GT(SDL_GetWMInfo(&info), 0);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    Window frame = info.info.x11.wmwindow;
    auto state = [&] {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, frame, &attributes);
        return attributes.map_state;
    };
    auto wait_state = [&](int wanted) {
        for (int i = 0; i < 300 && state() != wanted; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return state() == wanted;
    };
    // Without a window manager iconifying has nobody to act on it; taking the window off screen is
    // what a window manager's iconify does to it.
    XUnmapWindow(display, frame);
    XFlush(display);
    ASSERT_TRUE(wait_state(IsUnmapped));
    rx::platform::restore_window();
    EXPECT_TRUE(wait_state(IsViewable));
    XCloseDisplay(display);
    SDL_Quit();
}
#endif

}  // namespace
