// Test support: polling for a condition with a bounded wait.
#pragma once
#include <chrono>
#include <functional>
#include <thread>

namespace rx::test {

// Polls `done` every `step` until it holds or `limit` passes; true when it held.
inline bool wait_until(const std::function<bool()>& done,
                       std::chrono::milliseconds limit = std::chrono::milliseconds(5000),
                       std::chrono::milliseconds step = std::chrono::milliseconds(5)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(step);
    }
    return done();
}

}  // namespace rx::test
