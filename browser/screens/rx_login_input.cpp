// The login screen: its widgets, the saved and automatic login, and Tab and Return keyboard
// handling.
#include "browser/screens/rx_login_input.h"

#include <exception>

#include "browser/base/program.h"
#include "common/guard.h"

namespace rx {

namespace {

// The product's name stands in the free sky above the fields, below the message line at the top.
constexpr widget_place name_place{"product name", 100, 110, 600, 170, "static_relicade.png"};
constexpr widget_place user_name_label_place{"user-name label",    200, 390, 140, 24,
                                             "static_username.png"};
constexpr widget_place password_label_place{"password label",     200, 420, 140, 24,
                                            "static_password.png"};
constexpr widget_place save_label_place{"save label", 220, 450,
                                        390,          20,  "static_save_username_password.png"};
constexpr widget_place auto_label_place{"auto-login label",     220, 470, 390, 20,
                                        "static_auto_login.png"};
// The text boxes' x and size are the textbox's own.
constexpr widget_place user_name_box_place{"user-name box", 340, 390, 260, 24, "textbox.png"};
constexpr widget_place password_box_place{"password box", 340, 420, 260, 24, "textbox.png"};
constexpr widget_place save_box_place{"save box", 205, 456, 10, 10, "checkbox.png"};
constexpr widget_place auto_box_place{"auto-login box", 205, 476, 10, 10, "checkbox.png"};
constexpr widget_place login_place{"login button", 170, 500, 150, 40, "button_login.png"};
constexpr widget_place signup_place{"sign-up button", 325, 500, 150, 40, "button_signup.png"};
constexpr widget_place cancel_place{"cancel button", 480, 500, 150, 40, "button_cancel.png"};
constexpr widget_place guest_place{"guest button", 170, 550, 460, 40, "button_loginasguest.png"};

}  // namespace

const std::vector<widget_place>& rx_login_input::layout() {
    static const std::vector<widget_place> all{
        name_place,       user_name_label_place, password_label_place, save_label_place,
        auto_label_place, user_name_box_place,   password_box_place,   save_box_place,
        auto_box_place,   login_place,           signup_place,         cancel_place,
        guest_place};
    return all;
}

void rx_login_input::init() {
    run_logged("rx_login_input", "init", [&] {
        name_.load(name_place);
        user_name_label_.load(user_name_label_place);
        password_label_.load(password_label_place);
        save_label_.load(save_label_place);
        auto_label_.load(auto_label_place);
        user_name_box_.load_textbox(user_name_box_place.y, user_name_box_place.image,
                                    "NEURPOLI.TTF");
        password_box_.load_textbox(password_box_place.y, password_box_place.image, "NEURPOLI.TTF");
        save_box_.load(save_box_place.x, save_box_place.y, save_box_place.w, save_box_place.h,
                       save_box_place.image);
        save_box_.load_focus_frame(453, "checkbox_selected.png");
        auto_box_.load(auto_box_place.x, auto_box_place.y, auto_box_place.w, auto_box_place.h,
                       auto_box_place.image);
        auto_box_.load_focus_frame(473, "checkbox_selected.png");
        login_.load_button(login_place);
        signup_.load_button(signup_place);
        cancel_.load_button(cancel_place);
        guest_.load_button(guest_place);

        const user_info& saved = program().user();
        if (!saved.user_name.empty()) user_name_box_.set_text(saved.user_name);
        if (!saved.password.empty()) password_box_.set_text(saved.password);
        password_box_.set_masked(true);
        if (saved.save_login) save_box_.set_ticked();
        if (saved.auto_login) {
            auto_box_.set_ticked();
            // The browser core's handler logs in on the first event that reaches this screen.
            login_.set_clicked(true);
        }
        focus_index_ = 1;
        apply_focus();
    });
}

void rx_login_input::show() {
    run_logged("rx_login_input", "show", [&] {
        name_.show();
        user_name_label_.show();
        user_name_box_.show();
        password_label_.show();
        password_box_.show();
        save_box_.show();
        save_label_.show();
        auto_box_.show();
        auto_label_.show();
        login_.show();
        signup_.show();
        cancel_.show();
        guest_.show();
    });
}

void rx_login_input::apply_focus() {
    user_name_box_.set_focused(focus_index_ == 1);
    password_box_.set_focused(focus_index_ == 2);
    save_box_.set_focused(focus_index_ == 3);
    auto_box_.set_focused(focus_index_ == 4);
    button* focusable[] = {&login_, &signup_, &cancel_};
    for (int i = 0; i < 3; ++i) {
        const bool current = focus_index_ == 5 + i;
        focusable[i]->set_selected(current);
        if (current) {
            focusable[i]->set_hover_frame();
        } else {
            focusable[i]->set_normal_frame();
        }
    }
}

void rx_login_input::handle_events(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_TAB) {
        focus_index_ = focus_index_ % 7 + 1;
        apply_focus();
    } else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_RETURN &&
               password_box_.focused()) {
        // The login button's own handling of this Return then clicks it.
        login_.set_selected(true);
        login_.set_hover_frame();
    }
    user_name_box_.handle_events(event);
    password_box_.handle_events(event);
    save_box_.handle_events(event);
    auto_box_.handle_events(event);
    login_.handle_events(event);
    signup_.handle_events(event);
    cancel_.handle_events(event);
    guest_.handle_events(event);
}

void rx_login_input::reset() {
    login_.reset();
    signup_.reset();
    cancel_.reset();
    guest_.reset();
    focus_index_ = 1;
    apply_focus();
}

}  // namespace rx
