// Screen 4: the game list of one system, with its letter filters, search box and pages.
#pragma once
#include <string>

#include "browser/core/logic/user_info.h"
#include "browser/core/screen.h"

namespace rx {

class rx_system_input : public screen {
  public:
    void init() override {}
    void show() override {}
    void handle_events(const SDL_Event& event) override { (void)event; }
    void reset() override {}

    // A copy of the program's user_info: with a title when a system is opened, without on a new
    // filter.
    void set_user_info(const user_info& info, const std::string& title) {
        info_ = info;
        title_ = title;
    }
    void set_user_info(const user_info& info) { info_ = info; }
    // Fetches the list for the user_info last handed over.
    void load_list() {}

  private:
    user_info info_;
    std::string title_;
};

}  // namespace rx
