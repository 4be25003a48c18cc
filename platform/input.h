// Global keyboard state outside our own window, and restoring an iconified SDL window.
#pragma once

namespace rx::platform {

// True while the Pause key is held, whichever window has the focus (GetAsyncKeyState(VK_PAUSE); X11
// key map).
bool pause_key_down();

// Brings the SDL video window back from the task bar or icon state (ShowWindow(SW_RESTORE); X11 map
// + raise).
void restore_window();

}  // namespace rx::platform
