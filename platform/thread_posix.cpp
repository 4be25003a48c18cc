// Detached worker threads on POSIX: std::thread with a best-effort nice value per thread.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/thread.h"

namespace rx::platform {

namespace {

// Linux applies setpriority to a single thread when given its thread id. Raising priority needs
// privilege, so a refusal is expected and harmless.
void apply_priority(thread_priority priority) {
    int nice_value = 0;
    switch (priority) {
        case thread_priority::lowest:
            nice_value = 19;
            break;
        case thread_priority::normal:
            return;
        case thread_priority::highest:
            nice_value = -10;
            break;
    }
#ifdef SYS_gettid
    id_t tid = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, tid, nice_value);
#else
    (void)nice_value;
#endif
}

}  // namespace

bool start_thread(std::function<void()> body, thread_priority priority) {
    if (!body) return false;
    try {
        std::thread([body = std::move(body), priority] {
            apply_priority(priority);
            // An escaping exception would end the whole program; the body reports its own failures.
            try {
                body();
            } catch (...) {
            }
        }).detach();
        return true;
    } catch (...) {  // no thread, or no memory for one
        return false;
    }
}

void sleep_ms(unsigned milliseconds) {
    timespec request{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
    timespec remaining{};
    while (nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;
}

}  // namespace rx::platform
