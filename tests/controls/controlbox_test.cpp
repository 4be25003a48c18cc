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
        bound_ = binding{old_key, "16", false};
        box_.load_controlbox(100, 60, "controlbox.png", "NEURPOLI.TTF", "Press Up", &bound_);
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

    // The capture box text of what the box is bound to.
    std::string name() const { return shown_name(bound_); }

    const input old_key = input::key(16);  // "Q", bound before every test
    binding bound_;
    controlbox box_;
    std::vector<Uint32> waits_;
};

TEST_F(ControlboxTest, StickMustPassTheDeadZoneAndThenSettles) {
    start();
    box_.handle_events(make_joystick_axis(0, 1, 7999));
    box_.handle_events(make_joystick_axis(0, 1, -7999));
    EXPECT_TRUE(box_.capturing());
    EXPECT_FALSE(box_.changed());
    EXPECT_EQ(bound_.id, old_key);
    EXPECT_TRUE(waits_.empty());
    box_.handle_events(make_joystick_axis(0, 1, 8000));
    EXPECT_FALSE(box_.capturing());
    EXPECT_TRUE(box_.changed());
    EXPECT_EQ(name(), "Joystick 1 axis 1 dir 1");
    EXPECT_EQ(box_.shown_text(), name());
    EXPECT_TRUE(bound_.captured);
    EXPECT_EQ(waits_, std::vector<Uint32>{250});
    start();
    box_.handle_events(make_joystick_axis(1, 0, -8000));
    EXPECT_EQ(name(), "Joystick 2 axis 0 dir 0");
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
    EXPECT_EQ(name(), "Joystick 1 axis 3 dir 0");
    start();
    box_.handle_events(make_joystick_axis(0, 2, 9000));
    EXPECT_EQ(name(), "Joystick 1 axis 2 dir 1");
}

TEST_F(ControlboxTest, HatTakesUpOrDownBeforeSidesAndIgnoresCentre) {
    start();
    box_.handle_events(make_joystick_hat(0, SDL_HAT_CENTERED));
    EXPECT_TRUE(box_.capturing());
    box_.handle_events(make_joystick_hat(0, SDL_HAT_RIGHTUP));
    EXPECT_EQ(name(), "Joystick 1 POV Up");
    start();
    box_.handle_events(make_joystick_hat(2, SDL_HAT_LEFTDOWN));
    EXPECT_EQ(name(), "Joystick 3 POV Down");
    start();
    box_.handle_events(make_joystick_hat(0, SDL_HAT_LEFT));
    EXPECT_EQ(name(), "Joystick 1 POV Left");
    start();
    box_.handle_events(make_joystick_hat(0, SDL_HAT_RIGHT));
    EXPECT_EQ(name(), "Joystick 1 POV Right");
    EXPECT_EQ(waits_.size(), 4u);
    box_.set_hats_allowed(false);
    start();
    box_.handle_events(make_joystick_hat(0, SDL_HAT_UP));
    EXPECT_TRUE(box_.capturing());
}

TEST_F(ControlboxTest, ButtonsAndKeysByDevicePermission) {
    start();
    box_.handle_events(make_joystick_press(0, 0));
    EXPECT_EQ(name(), "Joystick 1 Button 0");
    EXPECT_TRUE(waits_.empty());
    box_.set_joystick_allowed(false);
    start();
    box_.handle_events(make_joystick_axis(0, 0, 30000));
    EXPECT_TRUE(box_.capturing());
    // A joystick button the box may not take is a press at the pointer, which is elsewhere.
    box_.handle_events(make_joystick_press(1, 5));
    EXPECT_FALSE(box_.capturing());
    EXPECT_EQ(name(), "Joystick 1 Button 0");
    start();
    box_.handle_events(make_key(SDLK_LCTRL, true));
    EXPECT_EQ(name(), "Left Ctrl");
    box_.set_joystick_allowed(true);
    box_.set_keyboard_allowed(false);
    start();
    box_.handle_events(make_key(SDLK_a, true));
    EXPECT_TRUE(box_.capturing());
    box_.handle_events(make_joystick_press(1, 5));
    EXPECT_EQ(name(), "Joystick 2 Button 5");
}

TEST_F(ControlboxTest, UnnamedKeyEndsCaptureKeepingTheOldName) {
    start();
    box_.handle_events(make_key(SDLK_F1, true));
    EXPECT_FALSE(box_.capturing());
    EXPECT_TRUE(box_.changed());
    EXPECT_FALSE(box_.assigned());
    EXPECT_EQ(bound_.id, old_key);
    EXPECT_EQ(box_.shown_text(), "Q");
}

TEST_F(ControlboxTest, ClickOutsideCancelsAndPressKeysFollowThePointer) {
    start();
    box_.handle_events(make_mouse_button(SDL_BUTTON_LEFT, true, 500, 300));
    EXPECT_FALSE(box_.capturing());
    EXPECT_FALSE(box_.changed());
    EXPECT_EQ(box_.shown_text(), "Q");
    // The border is outside.
    box_.handle_events(make_mouse_button(SDL_BUTTON_LEFT, true, 100, 70));
    EXPECT_FALSE(box_.capturing());
    box_.handle_events(make_mouse_button(SDL_BUTTON_RIGHT, true, 150, 70));
    EXPECT_FALSE(box_.capturing());
    test::place_pointer(200, 70);
    box_.handle_events(make_key(SDLK_RETURN, true));
    EXPECT_TRUE(box_.capturing());
    box_.handle_events(make_key(SDLK_RETURN, true));
    EXPECT_EQ(name(), "Enter");
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
    EXPECT_EQ(box_.shown_text(), "Q");
    bound_.id = input::key(29);
    test::place_pointer(200, 70);
    for (const SDL_Event& e : {make_mouse_button(SDL_BUTTON_LEFT, true, 150, 70),
                               make_key(SDLK_RETURN, true), make_joystick_press(0, 0),
                               make_joystick_axis(0, 0, 32767), make_joystick_hat(0, SDL_HAT_UP)}) {
        box_.handle_events(e);
        EXPECT_FALSE(box_.capturing());
        EXPECT_FALSE(box_.changed());
        EXPECT_EQ(box_.shown_text(), "Left Ctrl");
    }
    EXPECT_EQ(bound_.id, input::key(29));
    EXPECT_FALSE(bound_.captured);
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
    bound_ = binding{};
    box_.stop_capture();
    box_.show();
    controlbox never_loaded;
    never_loaded.show();
    never_loaded.handle_events(make_key(SDLK_b, true));
}

// A captured key is written as the code the settings files store for it; keys without a code
// (function keys, the keypad's other keys, shifted symbols) capture nothing.
TEST_F(ControlboxTest, KeysCaptureTheirCode) {
    const struct {
        SDLKey sym;
        int code;  // 0: the capture ends keeping the old key
    } rows[] = {
        {SDLK_a, 30},         {SDLK_z, 44},        {SDLK_0, 11},        {SDLK_SEMICOLON, 39},
        {SDLK_BACKQUOTE, 41}, {SDLK_RETURN, 28},   {SDLK_KP_ENTER, 28},  // stored as the main
                                                                         // Enter, which rx_retro
                                                                         // plays from either
        {SDLK_KP0, 82},       {SDLK_KP9, 73},      {SDLK_KP_PLUS, 78},  {SDLK_DELETE, 211},
        {SDLK_RALT, 184},     {SDLK_CAPSLOCK, 58}, {SDLK_EXCLAIM, 0},   {SDLK_KP_MINUS, 0},
        {SDLK_KP_PERIOD, 0},  {SDLK_F1, 0},        {SDLK_ESCAPE, 0},    {SDLK_PAUSE, 0},
    };
    for (const auto& row : rows) {
        bound_ = binding{old_key, "16", false};
        box_.bind(&bound_);
        start();
        box_.handle_events(make_key(row.sym, true));
        EXPECT_FALSE(box_.capturing()) << row.sym;
        EXPECT_EQ(box_.assigned(), row.code != 0) << row.sym;
        EXPECT_EQ(bound_.captured, row.code != 0) << row.sym;
        EXPECT_EQ(bound_.id, row.code != 0 ? input::key(row.code) : old_key) << row.sym;
    }
}

}  // namespace
}  // namespace rx
