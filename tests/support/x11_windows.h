// Test support: finding windows on the X display by their title.
#pragma once
#include <X11/Xlib.h>

#include <functional>
#include <string>

namespace rx::test {

// The first window below `root` (depth first) whose title satisfies `match`; 0 when none.
Window find_window(Display* display, Window root,
                   const std::function<bool(const std::string&)>& match);

}  // namespace rx::test
