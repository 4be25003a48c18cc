// Pause key state and window restore on X11 (the display named by DISPLAY, SDL window info).
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdlib>
#include <mutex>

#include "platform/input.h"

#if defined(RX_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#define RX_USE_X11 1
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#endif

namespace rx::platform {

#ifdef RX_USE_X11
namespace {

// A connection of our own: SDL's is locked to its own use, and this one works before SDL opens a
// window.
struct key_display {
    std::mutex mutex;
    bool tried = false;
    Display* display = nullptr;
    KeyCode pause = 0;
};

key_display& keys() {
    static key_display* k = new key_display();  // kept open for the life of the program
    return *k;
}

}  // namespace

bool pause_key_down() {
    key_display& k = keys();
    std::lock_guard<std::mutex> lock(k.mutex);
    if (!k.tried) {
        k.tried = true;
        const char* name = std::getenv("DISPLAY");
        if (name != nullptr && name[0] != '\0') k.display = XOpenDisplay(name);
        if (k.display != nullptr) k.pause = XKeysymToKeycode(k.display, XK_Pause);
    }
    if (k.display == nullptr || k.pause == 0) return false;
    char map[32] = {};
    XQueryKeymap(k.display, map);
    return (map[k.pause / 8] & (1 << (k.pause % 8))) != 0;
}

void restore_window() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    if (display == nullptr) return;
    if (info.info.x11.lock_func != nullptr) info.info.x11.lock_func();
    // Mapping an iconified top-level window returns it to the normal state; raising brings it to
    // the front.
    Window frame = info.info.x11.wmwindow != 0 ? info.info.x11.wmwindow : info.info.x11.window;
    XMapRaised(display, frame);
    if (info.info.x11.window != 0 && info.info.x11.window != frame)
        XMapWindow(display, info.info.x11.window);
    XFlush(display);
    if (info.info.x11.unlock_func != nullptr) info.info.x11.unlock_func();
}

#else

bool pause_key_down() {
    return false;
}

void restore_window() {}

#endif

}  // namespace rx::platform
