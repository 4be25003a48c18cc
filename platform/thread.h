// Detached worker threads with a scheduling priority, and sleeping.
#pragma once
#include <functional>

namespace rx::platform {

enum class thread_priority { lowest, normal, highest };

// Starts `body` on a new detached thread (CreateThread + SetThreadPriority); false if it could not
// start.
bool start_thread(std::function<void()> body, thread_priority priority);

void sleep_ms(unsigned milliseconds);

}  // namespace rx::platform
