// Pause key state and window restore on Windows (GetAsyncKeyState, ShowWindow on SDL's window).
#include <windows.h>

#include "platform/input.h"

// The Windows SDL headers are not available where this is checked, so the few SDL 1.2 declarations
// used here mirror that library's Windows ABI: SDL_version and SDL_SysWMinfo as SDL_syswm.h lays
// them out on Windows, and SDL_GetWMInfo with its cdecl calling convention.
extern "C" {
struct rx_sdl_version {
    unsigned char major;
    unsigned char minor;
    unsigned char patch;
};
struct rx_sdl_syswm_info {
    rx_sdl_version version;
    HWND window;
    HGLRC hglrc;
};
int __cdecl SDL_GetWMInfo(rx_sdl_syswm_info* info);
}

namespace rx::platform {

bool pause_key_down() {
    return GetAsyncKeyState(VK_PAUSE) != 0;
}

void restore_window() {
    rx_sdl_syswm_info info{};
    // The version SDL checks before filling the record: the 1.2 series this program is built
    // against.
    info.version.major = 1;
    info.version.minor = 2;
    info.version.patch = 15;
    if (SDL_GetWMInfo(&info) > 0 && info.window != nullptr) ShowWindow(info.window, SW_RESTORE);
}

}  // namespace rx::platform
