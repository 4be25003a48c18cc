// Screen 1: the login screen (user name, password, save and auto-login boxes, four buttons).
#pragma once
#include <string>

#include "browser/core/screen.h"

namespace rx {

class rx_login_input : public screen {
  public:
    void init() override {}
    void show() override {}
    void handle_events(const SDL_Event& event) override { (void)event; }
    void reset() override {}

    // Read by save_settings when the program ends.
    bool save_login_ticked() const { return false; }
    bool auto_login_ticked() const { return false; }
    // Read by login and logout.
    std::wstring user_name() const { return {}; }
    std::wstring password() const { return {}; }
};

}  // namespace rx
