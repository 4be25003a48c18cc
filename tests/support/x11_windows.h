// Test support: finding and watching windows on the X display through one connection per test.
#pragma once
#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace rx::test {

// The first window below `root` (depth first) whose title satisfies `match`; 0 when none.
Window find_window(Display* display, Window root,
                   const std::function<bool(const std::string&)>& match);

// What a window manager's close button does: WM_DELETE_WINDOW to `window`, flushed at once.
void send_delete_window(Display* display, Window window);

// A window's pixels as 0xRRGGBB, row by row; empty when the window could not be read.
struct window_picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool empty() const { return pixels.empty(); }
    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// What `window` shows now (XGetImage; without a window manager a window on top shows all of its
// pixels). Any visual with 8-bit channels works: the masks place each channel.
window_picture capture_window(Display* display, Window window);

// The pointer relative to `window`.
std::pair<int, int> pointer_in(Display* display, Window window);

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
