// Makes the controls screen that serves a console, from its row of the console table.
#pragma once
#include <memory>

#include "browser/controls/console_screen.h"
#include "emulators/consoles.h"

namespace rx {

// Null for a settings screen the browser does not know (a table row naming a screen not built).
std::unique_ptr<console_screen> make_console_screen(const console_row& row);

}  // namespace rx
