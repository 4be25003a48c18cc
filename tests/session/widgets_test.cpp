// Text entry, check boxes and the login screen's keyboard rules, driven by injected SDL events on
// the dummy driver.
#include <gtest/gtest.h>

#include <cstring>

#include "browser/app/app.h"
#include "browser/app/screens.h"
#include "browser/screens/rx_login_input.h"
#include "session_env.h"
#include "widgets/checkbox.h"
#include "widgets/searchbox.h"
#include "widgets/textbox.h"

using namespace rx_test;

namespace {

class widgets : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = make_program_folder();
        rx::set_directory_override(folder);
        start_sdl();
    }
    static void TearDownTestSuite() {
        rx::set_directory_override(std::nullopt);
        SDL_Quit();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    void SetUp() override { move_pointer(10, 10); }

    static void type(rx::textbox& box, const std::wstring& text) {
        for (wchar_t c : text)
            box.handle_events(
                key_down(static_cast<SDLKey>(c < 128 ? c : 0), static_cast<Uint16>(c)));
    }

    static std::string folder;
};
std::string widgets::folder;

TEST_F(widgets, textbox_takes_latin1_up_to_twenty_characters_and_refuses_blanks) {
    rx::textbox box;
    box.load_textbox(390, "textbox.png", "NEURPOLI.TTF");
    type(box, L"abc");
    EXPECT_EQ(box.text(), L"") << "keys go nowhere without focus";

    // The pointer rests on the box: Space then keeps the focus there (it only moves focus by the
    // pointer).
    move_pointer(400, 400);
    box.handle_events(mouse_down(400, 400));
    EXPECT_TRUE(box.focused());
    type(box, L"a b\u00e9\u00a0~");
    EXPECT_EQ(box.text(), L"ab\u00e9\u00a0~") << "a blank is refused, 160..255 accepted";
    box.handle_events(key_down(SDLK_TAB, 9));
    box.handle_events(key_down(SDLK_UNKNOWN, 0x20ac));
    EXPECT_EQ(box.text(), L"ab\u00e9\u00a0~");

    type(box, L"123456789012345678");
    EXPECT_EQ(box.text().size(), 20u);
    EXPECT_EQ(box.text().back(), L'5');
    box.handle_events(key_down(SDLK_BACKSPACE, 8));
    EXPECT_EQ(box.text().size(), 19u);
    box.handle_events(mouse_down(400, 400, SDL_BUTTON_RIGHT));
    EXPECT_TRUE(box.focused()) << "other mouse buttons change nothing";
    box.handle_events(mouse_down(340, 400));
    EXPECT_FALSE(box.focused()) << "the border is outside";
}

TEST_F(widgets, textbox_return_or_space_moves_focus_by_the_pointer) {
    rx::textbox box;
    box.load_textbox(390, "textbox.png", "NEURPOLI.TTF");
    box.set_focused(true);
    box.handle_events(key_down(SDLK_SPACE, ' '));
    EXPECT_FALSE(box.focused());
    EXPECT_EQ(box.text(), L"");
    move_pointer(400, 400);
    box.handle_events(key_down(SDLK_RETURN, 13));
    EXPECT_TRUE(box.focused());
    move_pointer(10, 10);
    SDL_Event joystick{};
    joystick.type = SDL_JOYBUTTONDOWN;
    box.handle_events(joystick);
    EXPECT_FALSE(box.focused());
}

TEST_F(widgets, masked_textbox_shows_asterisks_and_the_blinking_caret) {
    rx::textbox box;
    box.load_textbox(420, "textbox.png", "NEURPOLI.TTF");
    box.set_masked(true);
    box.set_text(L"se cr");
    box.show();
    EXPECT_EQ(box.shown_text(), L"*****");
    box.set_focused(true);
    std::vector<std::wstring> seen;
    for (int frame = 1; frame <= 20; ++frame) {
        box.show();
        seen.push_back(box.shown_text());
    }
    EXPECT_EQ(seen[0], L"*****|");
    EXPECT_EQ(seen[8], L"*****|");
    EXPECT_EQ(seen[9], L"*****") << "the caret flips on every tenth frame";
    EXPECT_EQ(seen[18], L"*****");
    EXPECT_EQ(seen[19], L"*****|");
}

TEST_F(widgets, searchbox_takes_key_symbols_with_blanks_up_to_forty) {
    rx::searchbox box;
    box.load_searchbox("searchbox.png", "NEURPOLI.TTF");
    box.handle_events(mouse_down(300, 580));
    ASSERT_TRUE(box.focused());
    box.handle_events(key_down(SDLK_s, 'S'));
    box.handle_events(key_down(SDLK_SPACE, ' '));
    box.handle_events(key_down(SDLK_2, '"'));
    EXPECT_EQ(box.text(), "s 2") << "the key symbol, not the typed character";
    box.handle_events(key_down(SDLK_LSHIFT, 0));
    EXPECT_EQ(box.text(), "s 2");
    for (int i = 0; i < 50; ++i) box.handle_events(key_down(SDLK_a, 'a'));
    EXPECT_EQ(box.text().size(), 40u);
    box.handle_events(key_down(SDLK_BACKSPACE, 8));
    EXPECT_EQ(box.text().size(), 39u);
    box.handle_events(key_down(SDLK_SPACE, ' '));
    EXPECT_TRUE(box.focused()) << "only Return moves the search focus";
    box.handle_events(key_down(SDLK_RETURN, 13));
    EXPECT_FALSE(box.focused());
}

TEST_F(widgets, checkbox_toggles_on_its_box_or_with_focus) {
    rx::checkbox box;
    box.load(205, 456, 10, 10, "checkbox.png");
    box.load_focus_frame(453, "checkbox_selected.png");
    box.handle_events(mouse_down(300, 460));
    EXPECT_FALSE(box.ticked()) << "the label area does nothing";
    box.handle_events(mouse_down(210, 461));
    EXPECT_TRUE(box.ticked());
    EXPECT_TRUE(box.changed());
    EXPECT_EQ(box.current_frame(), &box.ticked_frame());
    box.handle_events(key_down(SDLK_a, 'a'));
    EXPECT_FALSE(box.changed());
    box.handle_events(key_down(SDLK_SPACE, ' '));
    EXPECT_TRUE(box.ticked()) << "neither focused nor under the pointer";
    box.set_focused(true);
    box.handle_events(key_down(SDLK_RETURN, 13));
    EXPECT_FALSE(box.ticked());
    box.show();
}

class login_screen : public widgets {
  protected:
    void SetUp() override {
        widgets::SetUp();
        rx::app::user() = rx::user_info{};
        screen().init();
        screen().reset();
        screen().set_user_name(L"");
        screen().set_password(L"");
    }
    static rx::rx_login_input& screen() { return rx::screens().login; }
};

TEST_F(login_screen, tab_walks_seven_places_skipping_the_guest_button_and_wraps) {
    EXPECT_EQ(screen().focus_index(), 1);
    EXPECT_TRUE(screen().user_name_box().focused());
    std::vector<int> order;
    for (int i = 0; i < 7; ++i) {
        screen().handle_events(key_down(SDLK_TAB, 9));
        order.push_back(screen().focus_index());
        if (screen().focus_index() == 7) {
            EXPECT_TRUE(screen().cancel_button().selected());
            EXPECT_EQ(screen().cancel_button().current_frame(),
                      &screen().cancel_button().hover_frame());
            EXPECT_FALSE(screen().guest_button().selected());
        }
        if (screen().focus_index() == 3) {
            EXPECT_TRUE(screen().save_box().focused());
        }
    }
    EXPECT_EQ(order, (std::vector<int>{2, 3, 4, 5, 6, 7, 1}));
    EXPECT_TRUE(screen().user_name_box().focused());
    EXPECT_FALSE(screen().cancel_button().selected());
    EXPECT_EQ(screen().cancel_button().current_frame(), &screen().cancel_button().normal_frame());
}

// The product's name is drawn in its place and nowhere else: its see-through margin leaves the
// backdrop alone.
TEST_F(login_screen, shows_the_product_name_in_the_free_sky_above_the_fields) {
    SDL_Surface* surface = SDL_GetVideoSurface();
    ASSERT_NE(surface, nullptr);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    screen().show();
    const rx::widget_place& name = rx::rx_login_input::layout().front();
    int lettering = 0, outside = 0;
    SDL_LockSurface(surface);
    for (int y = 0; y < 385; ++y) {
        for (int x = 0; x < surface->w; ++x) {
            Uint32 value = 0;
            std::memcpy(&value,
                        static_cast<const Uint8*>(surface->pixels) + y * surface->pitch +
                            x * surface->format->BytesPerPixel,
                        surface->format->BytesPerPixel);
            Uint8 r, g, b;
            SDL_GetRGB(value, surface->format, &r, &g, &b);
            const bool inside =
                x >= name.x && x < name.x + name.w && y >= name.y && y < name.y + name.h;
            if (!inside && (r | g | b) != 0) ++outside;
            if (inside && r > 200 && g > 200 && b > 200) ++lettering;
        }
    }
    SDL_UnlockSurface(surface);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(lettering, 2000);
}

TEST_F(login_screen, return_in_the_password_box_clicks_login_but_not_in_the_user_name_box) {
    screen().handle_events(key_down(SDLK_j, 'j'));
    screen().handle_events(key_down(SDLK_RETURN, 13));
    EXPECT_FALSE(screen().login_button().clicked());
    EXPECT_EQ(screen().user_name(), L"j");

    screen().handle_events(key_down(SDLK_TAB, 9));
    ASSERT_TRUE(screen().password_box().focused());
    screen().handle_events(key_down(SDLK_x, 'x'));
    screen().handle_events(key_down(SDLK_RETURN, 13));
    EXPECT_TRUE(screen().login_button().clicked());
    EXPECT_EQ(screen().password(), L"x");
    EXPECT_TRUE(screen().password_box().masked());
}

TEST_F(login_screen, saved_login_fills_the_boxes_and_auto_login_arms_the_button) {
    rx::user_info saved;
    saved.user_name = L"player";
    saved.password = L"secret";
    saved.save_login = 1;
    saved.auto_login = 1;
    rx::app::user() = saved;
    screen().init();
    EXPECT_EQ(screen().user_name(), L"player");
    EXPECT_EQ(screen().password(), L"secret");
    EXPECT_TRUE(screen().save_login_ticked());
    EXPECT_TRUE(screen().auto_login_ticked());
    EXPECT_TRUE(screen().login_button().clicked());
    screen().reset();
    EXPECT_FALSE(screen().login_button().clicked());
    EXPECT_EQ(screen().user_name(), L"player") << "reset keeps what was typed";
}

}  // namespace
