// Fatal-error messages on POSIX: no desktop dialog can be relied on, so they go to stderr.
#include <cstdio>

#include "platform/message_box.h"

namespace rx::platform {

void message_box(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
}

}  // namespace rx::platform
