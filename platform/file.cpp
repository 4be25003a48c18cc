// The fault seam shared by both implementations of replace_file.
#include "platform/file.h"

#include <atomic>

namespace rx::platform {

namespace detail {
std::atomic<replace_step> injected_replace_fault{replace_step::none};
}

void fail_replace_step_for_testing(replace_step step) {
    detail::injected_replace_fault = step;
}

}  // namespace rx::platform
