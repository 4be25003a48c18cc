// Test support: finding and watching windows on the X display through one connection per test.
#include "x11_windows.h"

#include <thread>

namespace rx::test {

namespace {

// A window may vanish between the tree query and the title fetch; that is no reason to end the test
// program, which Xlib's default handler would do.
int ignore_x_errors(Display*, XErrorEvent*) {
    return 0;
}

bool viewable(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

}  // namespace

Window find_window(Display* display, Window root,
                   const std::function<bool(const std::string&)>& match) {
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* title = nullptr;
        if (XFetchName(display, children[i], &title) != 0 && title != nullptr) {
            if (match(title)) found = children[i];
            XFree(title);
        }
        if (found == 0) found = find_window(display, children[i], match);
    }
    if (children != nullptr) XFree(children);
    return found;
}

x_watch::x_watch() {
    XSetErrorHandler(ignore_x_errors);
    display_ = XOpenDisplay(nullptr);
}

x_watch::~x_watch() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

Window x_watch::wait_for_window(const std::function<bool(const std::string&)>& match,
                                std::chrono::milliseconds timeout) {
    if (display_ == nullptr) return 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        Window found = find_window(display_, DefaultRootWindow(display_),
                                   [&](const std::string& title) { return match(title); });
        if (found != 0 && viewable(display_, found)) return found;
        if (std::chrono::steady_clock::now() >= deadline) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string x_watch::title(Window window) {
    if (display_ == nullptr) return {};
    char* name = nullptr;
    std::string text;
    if (XFetchName(display_, window, &name) != 0 && name != nullptr) {
        text = name;
        XFree(name);
    }
    return text;
}

std::string x_watch::wait_for_title(Window window, const std::string& text,
                                    std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string seen;
    for (;;) {
        seen = title(window);
        if (seen.find(text) != std::string::npos || std::chrono::steady_clock::now() >= deadline)
            return seen;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace rx::test
