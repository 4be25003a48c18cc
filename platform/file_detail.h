// Internal to the file concern: the test seams both implementations consult.
#pragma once
#include <atomic>

#include "platform/file.h"

namespace rx::platform::detail {
extern std::atomic<replace_step> injected_replace_fault;
extern std::atomic<void (*)(replace_step)> replace_watcher;
extern std::atomic<system_replace> system_replace_stand_in;

inline bool injected(replace_step step) {
    return injected_replace_fault.load() == step;
}
inline void taking(replace_step step) {
    if (auto watch = replace_watcher.load()) watch(step);
}
}  // namespace rx::platform::detail
