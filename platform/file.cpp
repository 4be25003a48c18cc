// The test seams shared by both implementations of replace_file.
#include "platform/file.h"

#include <atomic>

namespace rx::platform {

namespace detail {
std::atomic<replace_step> injected_replace_fault{replace_step::none};
std::atomic<void (*)(replace_step)> replace_watcher{nullptr};
std::atomic<system_replace> system_replace_stand_in{nullptr};
}  // namespace detail

void fail_replace_step_for_testing(replace_step step) {
    detail::injected_replace_fault = step;
}

void watch_replace_steps_for_testing(void (*watch)(replace_step)) {
    detail::replace_watcher = watch;
}

void set_system_replace_for_testing(system_replace call) {
    detail::system_replace_stand_in = call;
}

}  // namespace rx::platform
