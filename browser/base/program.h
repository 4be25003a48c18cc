// The one way a screen reaches the running program: the few services of the browser core the
// screens and controls call back into. The core installs its implementation before any screen is
// made; this header reaches nothing of the core back, so the screens link without it.
#pragma once
#include <stdexcept>
#include <string>

#include "browser/base/logic/user_info.h"

namespace rx {

class program_services {
  public:
    virtual ~program_services() = default;
    // The saved login and settings.
    virtual const user_info& user() = 0;
    // Every screen's clicks back to rest, as on a change of screen.
    virtual void clear_controls() = 0;
    // Starts an emulator and waits, window hidden, until it ends.
    virtual void watch_game(const std::string& program_path,
                            const std::wstring& launch_argument) = 0;
    // The social network's status page, when its status update was refused.
    virtual void open_facebook_status(const std::wstring& user_name) = 0;
};

// Set by the browser core during static initialisation; null only in a program without it.
inline program_services* installed_program = nullptr;

inline program_services& program() {
    if (installed_program == nullptr) throw std::logic_error("no program services");
    return *installed_program;
}

}  // namespace rx
