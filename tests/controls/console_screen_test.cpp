// The console screens' shared behaviour: Set All row by row, single-box captures, player choice,
// the pointer gate and the Atari 2600 screen's fixed keys.
#include "browser/controls/console_screen.h"

#include <gtest/gtest.h>

#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/screens.h"
#include "tests/browser_core/sdl_support.h"
#include "tests/controls/screen_input.h"

namespace rx {
namespace {

using namespace test::screen_input;
using test::make_key;
using test::make_mouse_button;

// Two players, a keyboard column and a joystick-only column of three rows each.
const console_shape& two_column_shape() {
    static const console_shape shape = [] {
        console_shape s;
        s.prompts = {"Press Up", "Press Down", "Press Fire"};
        s.images = label_column(5, 120, {"static_up.png", "static_down.png", "static_fire.png"});
        capture_column keys;
        keys.boxes = box_column(110, 120, 3);
        keys.joystick = false;
        keys.set_all = widget_place{"set all keys", 110, 300, 150, 40, "button_set_all.png"};
        capture_column pad;
        pad.boxes = box_column(420, 120, 3);
        pad.keyboard = false;
        pad.set_all = widget_place{"set all pad", 420, 300, 150, 40, "button_set_all.png"};
        s.columns = {keys, pad};
        s.save = widget_place{"save", 300, 400, 150, 40, "button_save_settings.png"};
        s.players = 2;
        return s;
    }();
    return shape;
}

class two_player_screen : public console_screen {
  public:
    two_player_screen() : console_screen("two_player_screen", "Test:", two_column_shape()) {}
    void save_settings() override { ++saves; }
    int saves = 0;
};

class ConsoleScreenTest : public test::sdl_test {
  protected:
    void SetUp() override {
        sdl_test::SetUp();
        controlbox::set_settle_wait([](Uint32) {});
        app::set_cursor_keys_enabled(true);
    }
    void TearDown() override {
        controlbox::set_settle_wait(nullptr);
        app::clear_controls();
        app::set_cursor_keys_enabled(true);
        sdl_test::TearDown();
    }
};

TEST_F(ConsoleScreenTest, SetAllFillsEveryRowInOrderAndIgnoresHomeBackAndSaveUntilTheLast) {
    auto& gameboy = screens().of("GB");
    gameboy.init();
    gameboy.set_return_screen(screen_controls);
    app::set_current_screen(console_screen_of("GB"));
    wrapper_click(200, 375);  // Set All
    const SDLKey keys[10] = {SDLK_UP,     SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_BACKSPACE,
                             SDLK_RETURN, SDLK_z,    SDLK_x,    SDLK_a,     SDLK_s};
    const char* names[10] = {"Up",    "Down", "Left", "Right", "Backspace",
                             "Enter", "Z",    "X",    "A",     "S"};
    for (int row = 0; row < 10; ++row) {
        ASSERT_TRUE(gameboy.set_all_running()) << row;
        EXPECT_EQ(gameboy.set_all_step(), row + 1);
        EXPECT_TRUE(gameboy.box(0, row).capturing());
        EXPECT_EQ(gameboy.box(0, row).shown_text(), gameboy.box(0, row).prompt());
        // Home, Back and Save Settings do nothing while the sequence runs.
        wrapper_click(700, 25);
        EXPECT_FALSE(app::cursor_keys_enabled());
        wrapper_click(550, 25);
        wrapper_click(380, 375);
        EXPECT_EQ(app::current_screen(), console_screen_of("GB"));
        EXPECT_TRUE(gameboy.box(0, row).capturing());
        wrapper_key(keys[row]);
        EXPECT_EQ(shown_name(gameboy.record(0, 0, row)), names[row]);
        EXPECT_TRUE(gameboy.record(0, 0, row).captured);
        EXPECT_EQ(gameboy.box(0, row).shown_text(), names[row]);
        EXPECT_FALSE(gameboy.box(0, row).capturing());
    }
    EXPECT_FALSE(gameboy.set_all_running());
    EXPECT_EQ(gameboy.set_all_step(), 0);
    EXPECT_FALSE(gameboy.set_all_button(0)->clicked());
    EXPECT_EQ(gameboy.set_all_button(0)->current_frame(),
              &gameboy.set_all_button(0)->normal_frame());
    // The gate opens with the next event, and Home works again.
    wrapper_click(700, 25);
    EXPECT_TRUE(app::cursor_keys_enabled());
    dispatch_events(console_screen_of("GB"), make_key(SDLK_a, false));
    EXPECT_EQ(app::current_screen(), screen_main);
}

TEST_F(ConsoleScreenTest, ClickOnOneBoxCapturesIntoThatRowAlone) {
    two_player_screen s;
    s.init();
    for (int r = 0; r < 3; ++r) s.record(0, 0, r).id = input::key(2 + r);  // "1" to "3"
    s.select_player(0);
    click(s, 200, 160);  // keyboard column, row 1
    EXPECT_TRUE(s.box(0, 1).capturing());
    EXPECT_TRUE(s.capture_in_progress());
    EXPECT_FALSE(s.set_all_running());
    press(s, SDLK_q);
    EXPECT_EQ(shown_name(s.record(0, 0, 1)), "Q");
    EXPECT_TRUE(s.record(0, 0, 1).captured);
    EXPECT_EQ(shown_name(s.record(0, 0, 0)), "1");
    EXPECT_EQ(shown_name(s.record(0, 0, 2)), "3");
    EXPECT_FALSE(s.record(0, 0, 0).captured);
    EXPECT_FALSE(s.capture_in_progress());
    for (int r = 0; r < 3; ++r) EXPECT_EQ(shown_name(s.record(1, 0, r)), "");
}

TEST_F(ConsoleScreenTest, PlayersKeepTheirOwnRecords) {
    two_player_screen s;
    s.init();
    ASSERT_TRUE(s.player_box(0)->ticked());
    click(s, 765, 67);  // player 2 box
    EXPECT_EQ(s.selected_player(), 1);
    EXPECT_TRUE(s.player_box(1)->ticked());
    EXPECT_FALSE(s.player_box(0)->ticked());
    click(s, 200, 130);
    press(s, SDLK_e);
    EXPECT_EQ(shown_name(s.record(1, 0, 0)), "E");
    EXPECT_EQ(shown_name(s.record(0, 0, 0)), "");
    click(s, 600, 67);  // player 1 box
    EXPECT_EQ(s.selected_player(), 0);
    EXPECT_EQ(s.box(0, 0).shown_text(), "");
    // Clicking the ticked box keeps it ticked.
    click(s, 600, 67);
    EXPECT_TRUE(s.player_box(0)->ticked());
    click(s, 765, 67);
    EXPECT_EQ(s.box(0, 0).shown_text(), "E");
}

TEST_F(ConsoleScreenTest, EachColumnHasItsOwnSetAllAndAJoystickColumnNeedsAJoystick) {
    ASSERT_EQ(SDL_NumJoysticks(), 0);
    two_player_screen s;
    s.init();
    click(s, 480, 320);  // joystick column's Set All
    EXPECT_FALSE(s.set_all_running());
    EXPECT_FALSE(s.set_all_button(1)->clicked());
    click(s, 200, 320);  // keyboard column's Set All
    EXPECT_TRUE(s.set_all_running());
    EXPECT_EQ(s.set_all_column(), 0);
    press(s, SDLK_1);
    press(s, SDLK_2);
    EXPECT_TRUE(s.set_all_running());
    EXPECT_EQ(s.saves, 0);
    press(s, SDLK_3);
    EXPECT_FALSE(s.set_all_running());
    EXPECT_EQ(shown_name(s.record(0, 0, 2)), "3");
    for (int r = 0; r < 3; ++r) EXPECT_EQ(shown_name(s.record(0, 1, r)), "");
    click(s, 350, 420);  // Save Settings acts on the event after its click
    s.handle_events(make_key(SDLK_a, false));
    EXPECT_EQ(s.saves, 1);
    EXPECT_FALSE(s.save_button()->clicked());
}

TEST_F(ConsoleScreenTest, ResetEndsCapturesAndShowsTheRecords) {
    two_player_screen s;
    s.init();
    click(s, 200, 320);
    ASSERT_TRUE(s.set_all_running());
    s.reset();
    EXPECT_FALSE(s.set_all_running());
    EXPECT_FALSE(s.capture_in_progress());
    s.record(0, 0, 0).id = input::key(56);
    s.reset();
    EXPECT_EQ(s.box(0, 0).shown_text(), "Left Alt");
    s.show();
}

TEST_F(ConsoleScreenTest, SingleCaptureClosesThePointerGateToo) {
    auto& gameboy = screens().of("GB");
    gameboy.init();
    app::set_current_screen(console_screen_of("GB"));
    dispatch_events(console_screen_of("GB"), make_mouse_button(SDL_BUTTON_LEFT, true, 200, 70));
    ASSERT_TRUE(gameboy.box(0, 0).capturing());
    dispatch_events(console_screen_of("GB"), make_key(SDLK_LEFT, true));
    EXPECT_FALSE(app::cursor_keys_enabled());
    EXPECT_EQ(shown_name(gameboy.record(0, 0, 0)), "Left");
    dispatch_events(console_screen_of("GB"), make_key(SDLK_LEFT, false));
    EXPECT_TRUE(app::cursor_keys_enabled());
}

TEST_F(ConsoleScreenTest, AtariShowsFixedKeysPerPlayerAndNeverCaptures) {
    auto& atari = screens().of("2600");
    atari.init();
    auto texts = [&] {
        std::vector<std::string> shown;
        for (int r = 0; r < 5; ++r) shown.push_back(atari.box(0, r).shown_text());
        return shown;
    };
    const std::vector<std::string> one{"Up", "Down", "Left", "Right", "Left Ctrl"};
    const std::vector<std::string> two{"E", "D", "S", "F", "N"};
    EXPECT_EQ(texts(), one);
    EXPECT_EQ(atari.set_all_button(0), nullptr);
    EXPECT_EQ(atari.save_button(), nullptr);
    click(atari, 200, 70);
    test::place_pointer(200, 100);
    press(atari, SDLK_RETURN);
    press(atari, SDLK_x);
    EXPECT_FALSE(atari.capture_in_progress());
    EXPECT_EQ(texts(), one);
    click(atari, 765, 67);
    EXPECT_EQ(texts(), two);
    atari.reset();
    EXPECT_EQ(texts(), two);
    click(atari, 600, 67);
    EXPECT_EQ(texts(), one);
    EXPECT_TRUE(atari.load_controls());
    atari.show();
}

}  // namespace
}  // namespace rx
