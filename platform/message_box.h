// A blocking message for a person: MessageBoxA on Windows; on POSIX a line on standard error and
// the installation's message window when a display can show it.
#pragma once
#include <optional>
#include <string>

namespace rx::platform {

// Returns once the person has closed the message (at once when no window can be shown).
void message_box(const std::string& text, const std::string& caption);

#ifndef _WIN32
// The message window program beside this one, when the environment has a display to show it on;
// nullopt means the message stays on standard error alone.
std::optional<std::string> message_window_program();
#endif

}  // namespace rx::platform
