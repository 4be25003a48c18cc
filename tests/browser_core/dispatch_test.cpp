// Dispatch by screen number and the controls wrappers' Home, Back and console transitions.
#include <gtest/gtest.h>

#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/screens.h"
#include "tests/browser_core/sdl_support.h"

namespace rx {
namespace {

using test::make_mouse_button;

class DispatchTest : public test::sdl_test {
  protected:
    void SetUp() override {
        sdl_test::SetUp();
        screens().controls.init();
        for (const auto& c : screens().consoles()) c->init();
        app::clear_controls();
    }
    void TearDown() override {
        app::clear_controls();
        sdl_test::TearDown();
    }
    bool any_home_clicked() {
        if (screens().controls.home_button().clicked()) return true;
        for (int n = 1; n <= 19; ++n) {
            if (console_screen* c = screens().console(n);
                c != nullptr && c->home_button().clicked()) {
                return true;
            }
        }
        return false;
    }
    // A left click on (x, y) on the current screen, then one more event that lets the wrapper act
    // on it.
    void click(int x, int y) {
        dispatch_events(app::current_screen(), make_mouse_button(SDL_BUTTON_LEFT, true, x, y));
        dispatch_events(app::current_screen(), make_mouse_button(SDL_BUTTON_LEFT, false, x, y));
    }
};

TEST_F(DispatchTest, NumbersOutsideTheTableDispatchNothing) {
    const SDL_Event press =
        make_mouse_button(SDL_BUTTON_LEFT, true, 700, 25);  // Home on every screen
    for (int number : {-1, 0, 20, 21, 1000}) {
        dispatch_events(number, press);
        EXPECT_FALSE(any_home_clicked()) << number;
        dispatch_show(number);
    }
    dispatch_events(screen_controls, press);
    EXPECT_TRUE(screens().controls.home_button().clicked());
    dispatch_events(console_screen_of("NES"), press);
    EXPECT_TRUE(screens().of("NES").home_button().clicked());
    EXPECT_EQ(screens().by_number(0), nullptr);
    EXPECT_EQ(screens().by_number(20), nullptr);
    EXPECT_EQ(screens().by_number(4), &screens().game_list);
    EXPECT_EQ(screens().by_number(18), &screens().of("PCE"));
    EXPECT_EQ(screens().console(6), nullptr);
    EXPECT_EQ(screens().console(17), nullptr);
}

TEST_F(DispatchTest, OutOfRangeShowDrawsNothing) {
    RX_REQUIRE_ARTWORK();
    SDL_Surface* screen = SDL_GetVideoSurface();
    const Uint32 fill = SDL_MapRGB(screen->format, 1, 2, 3);
    SDL_FillRect(screen, nullptr, fill);
    dispatch_show(0);
    dispatch_show(20);
    for (int y = 0; y < 600; y += 7) {
        for (int x = 0; x < 800; x += 7) ASSERT_EQ(test::pixel(screen, x, y), fill);
    }
    dispatch_show(screen_controls);
    EXPECT_NE(test::pixel(screen, 720, 25), fill);  // the Home button
}

TEST_F(DispatchTest, ControlsMenuOpensConsoleScreensAndBackReturnsThere) {
    app::set_current_screen(screen_controls);
    click(100, 160);  // third console button: Gameboy
    EXPECT_EQ(app::current_screen(), console_screen_of("GB"));
    EXPECT_EQ(screens().of("GB").return_screen(), screen_controls);
    EXPECT_TRUE(app::cursor_keys_enabled());

    click(560, 25);  // Back
    EXPECT_EQ(app::current_screen(), screen_controls);
    EXPECT_FALSE(screens().of("GB").back_button().selected());  // cleared on the way out

    click(100, 430);  // ninth console button: Nintendo 64, screen 19
    EXPECT_EQ(app::current_screen(), console_screen_of("N64"));
    click(700, 25);  // Home
    EXPECT_EQ(app::current_screen(), screen_main);
}

TEST_F(DispatchTest, BackGoesToTheRememberedGameList) {
    screens().of("SNES").set_return_screen(screen_game_list);
    app::set_current_screen(console_screen_of("SNES"));
    click(560, 25);
    EXPECT_EQ(app::current_screen(), screen_game_list);
}

TEST_F(DispatchTest, EveryConsoleButtonOpensItsScreen) {
    const int expected[] = {7, 8, 9, 10, 11, 12, 13, 14, 19, 15, 16, 18};
    // The Turbo Graphics 16 screen opens only on an ootake.dat that holds both joypad blocks.
    std::string ootake = "[APP INPUT] JoyPad Setting for 2Button";
    ootake.resize(400, '\0');
    ASSERT_TRUE(test::write_file(folder_.file("ootake.dat"), ootake));
    for (int i = 0; i < rx_controls_input::console_count; ++i) {
        app::set_current_screen(screen_controls);
        click(100, 70 + 45 * i);
        EXPECT_EQ(app::current_screen(), expected[i]) << i;
        app::clear_controls();
    }
}

TEST_F(DispatchTest, ClearControlsResetsTheButtonsOfEveryScreen) {
    dispatch_events(screen_controls, make_mouse_button(SDL_BUTTON_LEFT, true, 700, 25));
    dispatch_events(console_screen_of("GEN"), make_mouse_button(SDL_BUTTON_LEFT, true, 560, 25));
    ASSERT_TRUE(screens().controls.home_button().selected());
    ASSERT_TRUE(screens().of("GEN").back_button().clicked());
    app::clear_controls();
    EXPECT_FALSE(screens().controls.home_button().selected());
    EXPECT_FALSE(screens().of("GEN").back_button().clicked());
    EXPECT_EQ(screens().of("GEN").back_button().current_frame(),
              &screens().of("GEN").back_button().normal_frame());
}

}  // namespace
}  // namespace rx
