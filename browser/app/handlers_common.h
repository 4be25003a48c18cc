// What the per-screen wrappers share: the change of screen, the upgrade page. Each wrapper runs
// under run_logged("main", <wrapper>, ...), so no exception reaches the main loop.
#pragma once

#include "browser/app/app.h"
#include "browser/app/processes.h"

namespace rx {

// The clicks of the screen being left must not act on the next one.
inline void go_to(int number) {
    app::clear_controls();
    app::set_current_screen(number);
}

// A free account's way to more: guests are sent to sign up, others to their account page.
inline void open_upgrade_page() {
    const user_info& user = app::user();
    if (user.user_name == L"guest") {
        open_signup_page();
    } else {
        open_account_page(user.user_name, user.password);
    }
}

}  // namespace rx
