// The running program's folder and the one-line error log beside it, shared by Relicade, rx_update
// and rx_message.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace rx {

// The running program's folder (no trailing separator); nullopt when it cannot be had.
std::optional<std::string> get_directory();

// Appends `text` and a line feed to error_log.txt in the program folder; nothing without a folder.
void log_error(std::string_view text);

// Points get_directory at another folder (tests run outside the program folder); nullopt restores
// it.
void set_directory_override(std::optional<std::string> directory);

}  // namespace rx
