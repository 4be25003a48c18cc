// Screen 1: the login screen (user name, password, save and auto-login boxes, four buttons).
#pragma once
#include <string>
#include <vector>

#include "browser/base/screen.h"
#include "widgets/button.h"
#include "widgets/checkbox.h"
#include "widgets/textbox.h"

namespace rx {

class rx_login_input : public screen {
  public:
    void init() override;
    void show() override;
    void handle_events(const SDL_Event& event) override;
    void reset() override;

    // Every widget's place, the product's name first: init places them from here, and the layout
    // tests read it to show that no widget covers the name. The check boxes' focus frames are part
    // of their boxes and not listed.
    static const std::vector<widget_place>& layout();

    // Read by save_settings when the program ends.
    bool save_login_ticked() const { return save_box_.ticked(); }
    bool auto_login_ticked() const { return auto_box_.ticked(); }
    // Read by login and logout; the guest button sets both to "guest".
    std::wstring user_name() const { return user_name_box_.text(); }
    std::wstring password() const { return password_box_.text(); }
    void set_user_name(const std::wstring& text) { user_name_box_.set_text(text); }
    void set_password(const std::wstring& text) { password_box_.set_text(text); }

    // 1 user name, 2 password, 3 save box, 4 auto-login box, 5 login, 6 sign up, 7 cancel.
    int focus_index() const { return focus_index_; }

    button& login_button() { return login_; }
    button& signup_button() { return signup_; }
    button& cancel_button() { return cancel_; }
    button& guest_button() { return guest_; }
    textbox& user_name_box() { return user_name_box_; }
    textbox& password_box() { return password_box_; }
    checkbox& save_box() { return save_box_; }
    checkbox& auto_box() { return auto_box_; }

  private:
    void apply_focus();

    int focus_index_ = 1;
    static_image name_;
    static_image user_name_label_;
    static_image password_label_;
    static_image save_label_;
    static_image auto_label_;
    textbox user_name_box_;
    textbox password_box_;
    checkbox save_box_;
    checkbox auto_box_;
    button login_;
    button signup_;
    button cancel_;
    button guest_;
};

}  // namespace rx
