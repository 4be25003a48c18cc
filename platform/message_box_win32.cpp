// Fatal-error messages on Windows: a blocking MessageBoxA without an owner window.
#include <windows.h>

#include "platform/message_box.h"

namespace rx::platform {

void message_box(const std::string& text, const std::string& caption) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace rx::platform
