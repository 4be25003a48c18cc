// A blocking message box for fatal errors (MessageBoxA; standard error on POSIX).
#pragma once
#include <string>

namespace rx::platform {

void message_box(const std::string& text, const std::string& caption);

}  // namespace rx::platform
