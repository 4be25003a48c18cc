// The capture box: what each input writes, what it ignores, and what ends or cancels a capture.
#include "browser/ui/controlbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/browser_core/sdl_support.h"

namespace rx {
namespace {

using test::make_joystick_axis;
using test::make_joystick_hat;
using test::make_joystick_press;
using test::make_key;
using test::make_mouse_button;

class ControlboxTest : public test::sdl_test {
  protected:
    void SetUp() override {
        sdl_test::SetUp();
        controlbox::set_settle_wait([this](Uint32 ms) { waits_.push_back(ms); });
        name_ = "Old";
        box_.load_controlbox(100, 60, "controlbox.png", "NEURPOLI.TTF", "Press Up", &name_);
    }
    void TearDown() override {
        controlbox::set_settle_wait(nullptr);
        sdl_test::TearDown();
    }
    void start() {
        box_.handle_events(make_mouse_button(SDL_BUTTON_LEFT, true, 150, 70));
        ASSERT_TRUE(box_.capturing());
        ASSERT_EQ(box_.shown_text(), "Press Up");
    }

    std::string name_;
    controlbox box_;
    std::vector<Uint32> waits_;
};

TEST_F(ControlboxTest, StickMustPassTheDeadZoneAndThenSettles) {
    start();
    box_.handle_events(make_joystick_axis(0, 1, 7999));
    box_.handle_events(make_joystick_axis(0, 1, -7999));
    EXPECT_TRUE(box_.capturing());
    EXPECT_FALSE(box_.changed());
    EXPECT_EQ(name_, "Old");
    EXPECT_TRUE(waits_.empty());
    box_.handle_events(make_joystick_axis(0, 1, 8000));
    EXPECT_FALSE(box_.capturing());
    EXPECT_TRUE(box_.changed());
    EXPECT_EQ(name_, "Joystick 1 axis 1 dir 1");
    EXPECT_EQ(box_.shown_text(), name_);
    EXPECT_EQ(waits_, std::vector<Uint32>{250});
    start();
    box_.handle_events(make_joystick_axis(1, 0, -8000));
    EXPECT_EQ(name_, "Joystick 2 axis 0 dir 0");
    // The flag lasts one event only.
    box_.handle_events(make_key(SDLK_a, false));
    EXPECT_FALSE(box_.changed());
}

TEST_F(ControlboxTest, ExtraAxesOnlyWhenAllowed) {
    start();
    box_.handle_events(make_joystick_axis(0, 2, 32767));
    box_.handle_events(make_joystick_axis(0, 3, -32768));
    EXPECT_TRUE(box_.capturing());
    box_.set_extra_axes_allowed(true);
    box_.handle_events(make_joystick_axis(0, 4, 32767));
    EXPECT_TRUE(box_.capturing());
    box_.handle_events(make_joystick_axis(0, 3, -32768));
    EXPECT_EQ(name_, "Joystick 1 axis 3 dir 0");
    start();
    box_.handle_events(make_joystick_axis(0, 2, 9000));
    EXPECT_EQ(name_, "Joystick 1 axis 2 dir 1");
}

TEST_F(ControlboxTest, HatTakesUpOrDownBeforeSidesAndIgnoresCentre) {
    start();
    box_.handle_events(make_joystick_hat(0, SDL_HAT_CENTERED));
    EXPECT_TRUE(box_.capturing());
    box_.handle_events(make_joystick_hat(0, SDL_HAT_RIGHTUP));
    EXPECT_EQ(name_, "Joystick 1 POV Up");
    start();
    box_.handle_events(make_joystick_hat(2, SDL_HAT_LEFTDOWN));
    EXPECT_EQ(name_, "Joystick 3 POV Down");
    start();
    box_.handle_events(make_joystick_hat(0, SDL_HAT_LEFT));
    EXPECT_EQ(name_, "Joystick 1 POV Left");
    start();
    box_.handle_events(make_joystick_hat(0, SDL_HAT_RIGHT));
    EXPECT_EQ(name_, "Joystick 1 POV Right");
    EXPECT_EQ(waits_.size(), 4u);
    box_.set_hats_allowed(false);
    start();
    box_.handle_events(make_joystick_hat(0, SDL_HAT_UP));
    EXPECT_TRUE(box_.capturing());
}

TEST_F(ControlboxTest, ButtonsAndKeysByDevicePermission) {
    start();
    box_.handle_events(make_joystick_press(0, 0));
    EXPECT_EQ(name_, "Joystick 1 Button 0");
    EXPECT_TRUE(waits_.empty());
    box_.set_joystick_allowed(false);
    start();
    box_.handle_events(make_joystick_axis(0, 0, 30000));
    EXPECT_TRUE(box_.capturing());
    // A joystick button the box may not take is a press at the pointer, which is elsewhere.
    box_.handle_events(make_joystick_press(1, 5));
    EXPECT_FALSE(box_.capturing());
    EXPECT_EQ(name_, "Joystick 1 Button 0");
    start();
    box_.handle_events(make_key(SDLK_LCTRL, true));
    EXPECT_EQ(name_, "Left Ctrl");
    box_.set_joystick_allowed(true);
    box_.set_keyboard_allowed(false);
    start();
    box_.handle_events(make_key(SDLK_a, true));
    EXPECT_TRUE(box_.capturing());
    box_.handle_events(make_joystick_press(1, 5));
    EXPECT_EQ(name_, "Joystick 2 Button 5");
}

TEST_F(ControlboxTest, UnnamedKeyEndsCaptureKeepingTheOldName) {
    start();
    box_.handle_events(make_key(SDLK_F1, true));
    EXPECT_FALSE(box_.capturing());
    EXPECT_TRUE(box_.changed());
    EXPECT_FALSE(box_.assigned());
    EXPECT_EQ(name_, "Old");
    EXPECT_EQ(box_.shown_text(), "Old");
}

TEST_F(ControlboxTest, ClickOutsideCancelsAndPressKeysFollowThePointer) {
    start();
    box_.handle_events(make_mouse_button(SDL_BUTTON_LEFT, true, 500, 300));
    EXPECT_FALSE(box_.capturing());
    EXPECT_FALSE(box_.changed());
    EXPECT_EQ(box_.shown_text(), "Old");
    // The border is outside.
    box_.handle_events(make_mouse_button(SDL_BUTTON_LEFT, true, 100, 70));
    EXPECT_FALSE(box_.capturing());
    box_.handle_events(make_mouse_button(SDL_BUTTON_RIGHT, true, 150, 70));
    EXPECT_FALSE(box_.capturing());
    test::place_pointer(200, 70);
    box_.handle_events(make_key(SDLK_RETURN, true));
    EXPECT_TRUE(box_.capturing());
    box_.handle_events(make_key(SDLK_RETURN, true));
    EXPECT_EQ(name_, "Enter");
    test::place_pointer(600, 500);
    box_.handle_events(make_key(SDLK_SPACE, true));
    EXPECT_FALSE(box_.capturing());
    test::place_pointer(200, 70);
    box_.handle_events(make_joystick_press(0, 1));
    EXPECT_TRUE(box_.capturing());
}

TEST_F(ControlboxTest, LockedBoxIgnoresEverythingAndShowsItsName) {
    start();
    box_.set_locked(true);
    box_.handle_events(make_key(SDLK_a, true));
    EXPECT_FALSE(box_.capturing());
    EXPECT_EQ(box_.shown_text(), "Old");
    name_ = "Crtl";
    test::place_pointer(200, 70);
    for (const SDL_Event& e : {make_mouse_button(SDL_BUTTON_LEFT, true, 150, 70),
                               make_key(SDLK_RETURN, true), make_joystick_press(0, 0),
                               make_joystick_axis(0, 0, 32767), make_joystick_hat(0, SDL_HAT_UP)}) {
        box_.handle_events(e);
        EXPECT_FALSE(box_.capturing());
        EXPECT_FALSE(box_.changed());
        EXPECT_EQ(box_.shown_text(), "Crtl");
    }
    EXPECT_EQ(name_, "Crtl");
}

TEST_F(ControlboxTest, NoBoundNameNoFontAndEmptyTextDrawNothingAndNeverCrash) {
    controlbox unbound;
    unbound.load_controlbox(100, 100, "controlbox.png", "missing.ttf", "Press A", nullptr);
    unbound.show();
    unbound.handle_events(make_mouse_button(SDL_BUTTON_LEFT, true, 150, 110));
    EXPECT_TRUE(unbound.capturing());
    unbound.show();
    unbound.handle_events(make_key(SDLK_b, true));
    EXPECT_TRUE(unbound.changed());
    EXPECT_FALSE(unbound.assigned());
    EXPECT_EQ(unbound.shown_text(), "");
    unbound.show();
    name_.clear();
    box_.stop_capture();
    box_.show();
    controlbox never_loaded;
    never_loaded.show();
    never_loaded.handle_events(make_key(SDLK_b, true));
}

// A captured key is written under the name of the code the settings files store for it; keys
// without a code (function keys, the keypad's other keys, shifted symbols) capture nothing.
TEST_F(ControlboxTest, KeysCaptureTheNameOfTheirCode) {
    const struct {
        SDLKey sym;
        const char* name;  // nullptr: the capture ends keeping "Old"
    } rows[] = {
        {SDLK_a, "A"},
        {SDLK_z, "Z"},
        {SDLK_0, "0"},
        {SDLK_SEMICOLON, ";"},
        {SDLK_BACKQUOTE, "`"},
        {SDLK_RETURN, "Enter"},
        {SDLK_KP_ENTER, "Enter"},  // stored as 28 like the main Enter, which rx_retro plays
        {SDLK_KP0, "0 (Pad)"},
        {SDLK_KP9, "9 (Pad)"},
        {SDLK_KP_PLUS, "Plus (Pad)"},
        {SDLK_DELETE, "Del"},
        {SDLK_RALT, "Right Alt"},
        {SDLK_CAPSLOCK, "Caps"},
        {SDLK_EXCLAIM, nullptr},
        {SDLK_KP_MINUS, nullptr},
        {SDLK_KP_PERIOD, nullptr},
        {SDLK_F1, nullptr},
        {SDLK_ESCAPE, nullptr},
        {SDLK_PAUSE, nullptr},
    };
    for (const auto& row : rows) {
        name_ = "Old";
        box_.bind(&name_);
        start();
        box_.handle_events(make_key(row.sym, true));
        EXPECT_FALSE(box_.capturing()) << row.sym;
        EXPECT_EQ(box_.assigned(), row.name != nullptr) << row.sym;
        EXPECT_EQ(name_, row.name != nullptr ? row.name : "Old") << row.sym;
    }
}

}  // namespace
}  // namespace rx
