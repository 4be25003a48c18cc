// The login screen: its widgets, the saved and automatic login, and Tab and Return keyboard
// handling.
#include "browser/screens/rx_login_input.h"

#include <exception>

#include "browser/core/program.h"
#include "browser/ui/guard.h"

namespace rx {

void rx_login_input::init() {
    run_logged("rx_login_input", "init", [&] {
        user_name_label_.load(200, 390, 140, 24, "static_username.png");
        password_label_.load(200, 420, 140, 24, "static_password.png");
        save_label_.load(220, 450, 390, 20, "static_save_username_password.png");
        auto_label_.load(220, 470, 390, 20, "static_auto_login.png");
        user_name_box_.load_textbox(390, "textbox.png", "NEURPOLI.TTF");
        password_box_.load_textbox(420, "textbox.png", "NEURPOLI.TTF");
        save_box_.load(205, 456, 10, 10, "checkbox.png");
        save_box_.load_focus_frame(453, "checkbox_selected.png");
        auto_box_.load(205, 476, 10, 10, "checkbox.png");
        auto_box_.load_focus_frame(473, "checkbox_selected.png");
        login_.load_button(170, 500, 40, "button_login.png", 150);
        signup_.load_button(325, 500, 40, "button_signup.png", 150);
        cancel_.load_button(480, 500, 40, "button_cancel.png", 150);
        guest_.load_button(170, 550, 40, "button_loginasguest.png", 460);

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
