// Helpers for the platform tests: an environment guard beside the shared folders, files and waits.
#pragma once
#include <stdlib.h>

#include <string>

#include "files.h"
#include "wait.h"

namespace rx::test {

// Restores an environment variable when the test ends.
class env_guard {
  public:
    explicit env_guard(const char* name) : name_(name) {
        const char* v = getenv(name);
        had_ = v != nullptr;
        if (had_) old_ = v;
    }
    ~env_guard() {
        if (had_) {
            setenv(name_.c_str(), old_.c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
    }
    env_guard(const env_guard&) = delete;
    env_guard& operator=(const env_guard&) = delete;

  private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

}  // namespace rx::test
