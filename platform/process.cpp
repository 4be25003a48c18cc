// The process-runner seam shared by every platform: the installed runner, or the system one.
#include "platform/process.h"

#include <atomic>

namespace rx::platform {

namespace {
std::atomic<process_runner*> installed_runner{nullptr};
}

process_runner& processes() {
    process_runner* runner = installed_runner.load();
    return runner != nullptr ? *runner : system_processes();
}

void set_processes(process_runner* runner) {
    installed_runner.store(runner);
}

}  // namespace rx::platform
