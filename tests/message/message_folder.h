// Test support: a private program folder holding the message window, its artwork and font, and a
// program that shows one message through the platform seam.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "files.h"

namespace rx::test {

class message_folder {
  public:
    // with_window false leaves rx_message out, as in a test binary's own folder.
    explicit message_folder(bool with_window = true);
    const std::string& path() const { return dir_.path(); }
    std::string caller() const { return dir_.file("message_box_caller"); }
    std::string output() const { return read_file(dir_.file("output.txt")); }

    // Starts the caller with `args` and only the given DISPLAY, SDL_VIDEODRIVER and
    // RELICADE_MESSAGE_WINDOW settings ("" leaves one unset); output and standard error go to
    // output().
    pid_t start(const std::vector<std::string>& args, const std::string& display,
                const std::string& video_driver, const std::string& window_switch = "") const;

  private:
    temp_dir dir_{"rx_message_test"};
};

// The child's exit status, or -1 when it has not ended within `timeout_ms` (it is killed then).
int wait_exit(pid_t pid, int timeout_ms);

}  // namespace rx::test
