// What every platform shares of processes: the installed-runner seam and reading the environment.
#include "platform/process.h"

#include <stdlib.h>

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

std::string get_environment(const char* name) {
    if (name == nullptr) return {};
    const char* value = getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace rx::platform
