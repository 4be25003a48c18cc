// Internal to the file concern: the injected fault both implementations consult.
#pragma once
#include <atomic>

#include "platform/file.h"

namespace rx::platform::detail {
extern std::atomic<replace_step> injected_replace_fault;
inline bool injected(replace_step step) {
    return injected_replace_fault.load() == step;
}
}  // namespace rx::platform::detail
