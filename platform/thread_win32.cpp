// Detached worker threads on Windows: CreateThread with SetThreadPriority set before the body runs.
#include <windows.h>

#include <memory>
#include <utility>

#include "platform/thread.h"

namespace rx::platform {

namespace {

DWORD WINAPI run_body(LPVOID parameter) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    // An escaping exception would end the whole program; the body reports its own failures.
    try {
        (*body)();
    } catch (...) {
    }
    return 0;
}

int windows_priority(thread_priority priority) {
    switch (priority) {
        case thread_priority::lowest:
            return THREAD_PRIORITY_LOWEST;
        case thread_priority::highest:
            return THREAD_PRIORITY_HIGHEST;
        case thread_priority::normal:
            break;
    }
    return THREAD_PRIORITY_NORMAL;
}

}  // namespace

bool start_thread(std::function<void()> body, thread_priority priority) {
    if (!body) return false;
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    // Suspended first, so the body never runs at the wrong priority.
    HANDLE thread = CreateThread(nullptr, 0, run_body, owned.get(), CREATE_SUSPENDED, nullptr);
    if (thread == nullptr) return false;
    owned.release();  // the thread owns it now
    SetThreadPriority(thread, windows_priority(priority));
    ResumeThread(thread);
    CloseHandle(thread);
    return true;
}

void sleep_ms(unsigned milliseconds) {
    Sleep(milliseconds);
}

}  // namespace rx::platform
