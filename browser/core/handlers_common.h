// What every per-screen wrapper shares: the exception guard and the change of screen by a button.
#pragma once
#include <utility>

#include "browser/core/app.h"

namespace rx {

// A wrapper never lets an exception reach the main loop: it is logged under the wrapper's name.
template <typename Body>
void guarded(const char* wrapper_name, Body&& body) {
    run_logged("main", wrapper_name, std::forward<Body>(body));
}

// The clicks of the screen being left must not act on the next one.
inline void go_to(int number) {
    app::clear_controls();
    app::set_current_screen(number);
}

}  // namespace rx
