// The image button's event rules: strict inside, left button, keys, joystick, hover, click.
#include "widgets/button.h"

#include <gtest/gtest.h>

#include "tests/browser_core/sdl_support.h"
#include "widgets/image.h"

namespace rx {
namespace {

using test::make_joystick_button;
using test::make_key;
using test::make_mouse_button;
using test::make_mouse_motion;

class ButtonTest : public test::sdl_test {
  protected:
    void SetUp() override {
        sdl_test::SetUp();
        b_.load_button(100, 200, 40, "no_such_button.png", 150);
    }
    bool is(const SDL_Rect& frame) const { return b_.current_frame() == &frame; }
    void send(const SDL_Event& e) { b_.handle_events(e); }

    button b_;
};

TEST(Inside, IsStrict) {
    const SDL_Rect box{100, 200, 150, 40};
    EXPECT_TRUE(inside(box, 101, 201));
    EXPECT_TRUE(inside(box, 249, 239));
    EXPECT_FALSE(inside(box, 100, 220));
    EXPECT_FALSE(inside(box, 250, 220));
    EXPECT_FALSE(inside(box, 150, 200));
    EXPECT_FALSE(inside(box, 150, 240));
}

TEST_F(ButtonTest, LoadSetsBoxAndThreeFrames) {
    EXPECT_EQ(b_.box().x, 100);
    EXPECT_EQ(b_.box().y, 200);
    EXPECT_EQ(b_.box().w, 150);
    EXPECT_EQ(b_.box().h, 40);
    EXPECT_EQ(b_.pressed_frame().x, 150);
    EXPECT_EQ(b_.hover_frame().x, 300);
    EXPECT_EQ(b_.hover_frame().w, 150);
    EXPECT_TRUE(is(b_.normal_frame()));
    EXPECT_EQ(b_.image(), nullptr);  // missing artwork: nothing to draw, nothing breaks
    b_.show();
}

TEST_F(ButtonTest, ClicksOnTheBorderDoNothing) {
    const int border[][2] = {{100, 220}, {249, 200}, {250, 220}, {150, 240}};
    for (const auto& p : border) {
        send(make_mouse_button(SDL_BUTTON_LEFT, true, p[0], p[1]));
        EXPECT_FALSE(b_.clicked()) << p[0] << "," << p[1];
        EXPECT_FALSE(b_.selected());
        EXPECT_TRUE(is(b_.normal_frame()));
    }
    send(make_mouse_button(SDL_BUTTON_LEFT, true, 101, 201));
    EXPECT_TRUE(b_.clicked());
    EXPECT_TRUE(b_.selected());
    EXPECT_TRUE(is(b_.pressed_frame()));
}

TEST_F(ButtonTest, OnlyTheLeftButtonClicksAndOthersKeepSelection) {
    send(make_mouse_button(SDL_BUTTON_RIGHT, true, 150, 220));
    send(make_mouse_button(SDL_BUTTON_MIDDLE, true, 150, 220));
    EXPECT_FALSE(b_.clicked());
    EXPECT_FALSE(b_.selected());
    send(make_mouse_button(SDL_BUTTON_LEFT, true, 150, 220));
    ASSERT_TRUE(b_.selected());
    // Right or middle presses elsewhere neither click nor take the selection away.
    send(make_mouse_button(SDL_BUTTON_RIGHT, true, 10, 10));
    EXPECT_TRUE(b_.selected());
    send(make_mouse_button(SDL_BUTTON_MIDDLE, true, 10, 10));
    EXPECT_TRUE(b_.selected());
    // A left press elsewhere does.
    send(make_mouse_button(SDL_BUTTON_LEFT, true, 10, 10));
    EXPECT_FALSE(b_.selected());
    EXPECT_FALSE(b_.clicked());
}

TEST_F(ButtonTest, ClickFlagLivesExactlyOneEvent) {
    send(make_mouse_button(SDL_BUTTON_LEFT, true, 150, 220));
    EXPECT_TRUE(b_.clicked());
    send(make_mouse_button(SDL_BUTTON_LEFT, false, 150, 220));
    EXPECT_FALSE(b_.clicked());
    EXPECT_TRUE(is(b_.hover_frame()));
    // Any event clears it, even one the button does not care about.
    send(make_mouse_button(SDL_BUTTON_LEFT, true, 150, 220));
    SDL_Event other{};
    other.type = SDL_VIDEOEXPOSE;
    send(other);
    EXPECT_FALSE(b_.clicked());
}

TEST_F(ButtonTest, HoverFollowsPointerAndStaysAfterAClick) {
    send(make_mouse_motion(150, 220));
    EXPECT_TRUE(is(b_.hover_frame()));
    send(make_mouse_motion(10, 10));
    EXPECT_TRUE(is(b_.normal_frame()));

    send(make_mouse_button(SDL_BUTTON_LEFT, true, 150, 220));
    send(make_mouse_button(SDL_BUTTON_LEFT, false, 150, 220));
    send(make_mouse_motion(10, 10));
    EXPECT_TRUE(is(b_.hover_frame()));  // selected: keeps the highlight away from the pointer
    send(make_mouse_button(SDL_BUTTON_LEFT, true, 10, 10));
    send(make_mouse_motion(11, 11));
    EXPECT_TRUE(is(b_.normal_frame()));
}

TEST_F(ButtonTest, ReturnAndSpaceClickWithPointerInsideOrWhenSelected) {
    test::place_pointer(150, 220);
    for (SDLKey k : {SDLK_RETURN, SDLK_SPACE}) {
        send(make_key(k, true));
        EXPECT_TRUE(b_.clicked());
        EXPECT_TRUE(is(b_.pressed_frame()));
        send(make_key(k, false));
        EXPECT_FALSE(b_.clicked());
        EXPECT_TRUE(is(b_.hover_frame()));
    }
    send(make_key(SDLK_a, true));
    EXPECT_FALSE(b_.clicked());

    // Pointer away: the selected button still takes Return (keyboard focus given by its screen).
    test::place_pointer(10, 10);
    b_.reset();
    send(make_key(SDLK_RETURN, true));
    EXPECT_FALSE(b_.clicked());
    b_.set_selected(true);
    send(make_key(SDLK_RETURN, true));
    EXPECT_TRUE(b_.clicked());
    send(make_key(SDLK_RETURN, false));
    EXPECT_TRUE(is(b_.hover_frame()));

    // Neither inside nor selected: Space only takes the selection away.
    b_.reset();
    b_.set_hover_frame();
    send(make_key(SDLK_SPACE, true));
    EXPECT_FALSE(b_.selected());
    send(make_key(SDLK_SPACE, false));
    EXPECT_TRUE(is(b_.hover_frame()));  // key up away from the button changes nothing
}

TEST_F(ButtonTest, AnyJoystickButtonClicksAtThePointer) {
    test::place_pointer(150, 220);
    send(make_joystick_button(true));
    EXPECT_TRUE(b_.clicked());
    EXPECT_TRUE(is(b_.pressed_frame()));
    send(make_joystick_button(false));
    EXPECT_FALSE(b_.clicked());
    EXPECT_TRUE(is(b_.hover_frame()));

    test::place_pointer(400, 400);
    send(make_joystick_button(true));
    EXPECT_FALSE(b_.clicked());
    EXPECT_FALSE(b_.selected());
}

TEST_F(ButtonTest, ResetClearsFlagsAndFrame) {
    send(make_mouse_button(SDL_BUTTON_LEFT, true, 150, 220));
    b_.reset();
    EXPECT_FALSE(b_.clicked());
    EXPECT_FALSE(b_.selected());
    EXPECT_TRUE(is(b_.normal_frame()));
    // Reloading keeps the flags, as screens rely on reset for that.
    b_.set_selected(true);
    b_.load_button(0, 0, 10, "x.png", 10);
    EXPECT_TRUE(b_.selected());
    EXPECT_TRUE(is(b_.normal_frame()));
}

}  // namespace
}  // namespace rx
