// Test child for the Windows process tests: "exit N" ends with code N, "wait" runs until it is
// ended.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "exit") == 0) return std::atoi(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "wait") == 0) {
        // Bounded, so a child whose test failed does not outlive the run by much.
        Sleep(60000);
        return 0;
    }
    return 99;
}
