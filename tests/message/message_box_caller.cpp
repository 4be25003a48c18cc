// Test program: one message through the platform seam, as the shipped programs show theirs.
// "probe" prints which message window program would be used instead of showing anything.
#include <cstdio>
#include <cstring>

#include "platform/message_box.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "probe") == 0) {
        auto program = rx::platform::message_window_program();
        std::printf("window=%s\n", program ? program->c_str() : "none");
        return 0;
    }
    if (argc < 3) return 2;
    rx::platform::message_box(argv[2], argv[1]);
    std::printf("returned\n");
    return 0;
}
