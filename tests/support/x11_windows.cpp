// Test support: finding and watching windows on the X display through one connection per test.
#include "x11_windows.h"

#include <X11/Xutil.h>

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

// The channel of `value` that `mask` selects, as 0-255.
std::uint32_t channel(unsigned long value, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const unsigned long top = mask >> shift;
    const std::uint32_t raw = static_cast<std::uint32_t>((value & mask) >> shift);
    return top == 255 ? raw : static_cast<std::uint32_t>(raw * 255 / top);
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

void send_delete_window(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

window_picture capture_window(Display* display, Window window) {
    window_picture picture;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable)
        return picture;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return picture;
    picture.width = image->width;
    picture.height = image->height;
    picture.pixels.reserve(static_cast<std::size_t>(image->width) *
                           static_cast<std::size_t>(image->height));
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const unsigned long value = XGetPixel(image, x, y);
            picture.pixels.push_back(channel(value, image->red_mask) << 16 |
                                     channel(value, image->green_mask) << 8 |
                                     channel(value, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return picture;
}

std::pair<int, int> pointer_in(Display* display, Window window) {
    Window root = 0;
    Window child = 0;
    int root_x = 0, root_y = 0, x = -1, y = -1;
    unsigned mask = 0;
    XQueryPointer(display, window, &root, &child, &root_x, &root_y, &x, &y, &mask);
    return {x, y};
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
