// Test support: finding and watching windows on the X display through one connection per test.
#pragma once
#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <string>

namespace rx::test {

// The first window below `root` (depth first) whose title satisfies `match`; 0 when none.
Window find_window(Display* display, Window root,
                   const std::function<bool(const std::string&)>& match);

// One X connection held for a whole test. Window tests look for windows through it instead of
// starting a client per poll: every short-lived client is a connect and disconnect the server has
// to serve while the programs under test start their own windows.
class x_watch {
  public:
    x_watch();
    ~x_watch();
    x_watch(const x_watch&) = delete;
    x_watch& operator=(const x_watch&) = delete;

    bool connected() const { return display_ != nullptr; }
    Display* display() const { return display_; }

    // The first mapped window whose title satisfies `match`, waiting up to `timeout`; 0 when none.
    Window wait_for_window(const std::function<bool(const std::string&)>& match,
                           std::chrono::milliseconds timeout);
    // The window's title; "" when it has none or is gone.
    std::string title(Window window);
    // Waits until the title holds `text`; the last title seen.
    std::string wait_for_title(Window window, const std::string& text,
                               std::chrono::milliseconds timeout);

  private:
    Display* display_ = nullptr;
};

// Title tests for x_watch.
inline std::function<bool(const std::string&)> title_starts_with(std::string prefix) {
    return [prefix](const std::string& title) { return title.rfind(prefix, 0) == 0; };
}
inline std::function<bool(const std::string&)> title_is(std::string whole) {
    return [whole](const std::string& title) { return title == whole; };
}

}  // namespace rx::test
