// Shared set-up of the catalogue screen tests: SDL on the dummy driver, a loopback service, a
// process recorder.
#pragma once
#include <SDL.h>
#include <SDL_net.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/process.h"
#include "tests/browser_core/sdl_support.h"
#include "tests/catalogue/fake_service.h"

namespace rx::test {

// Records what the browser starts instead of starting it; every emulator has ended when first
// asked.
class recording_processes : public platform::process_runner {
  public:
    struct start_record {
        std::string program;
        std::string parameters;
    };
    platform::process_handle start(const std::string& program,
                                   const std::string& parameters) override;
    bool is_running(platform::process_handle process) override;
    bool terminate(platform::process_handle process, int exit_code, int& error) override;
    void close(platform::process_handle process) override;
    bool start_detached(const std::string& program, const std::string& parameters) override;
    bool open_url(const std::string& url) override;

    std::vector<start_record> starts() const;
    std::vector<std::string> urls() const;
    int closes() const;
    bool wait_for_urls(std::size_t count, int timeout_ms) const;
    // From now on every emulator start fails (no process), as with a missing program.
    void fail_starts() { fail_starts_ = true; }

  private:
    mutable std::mutex mutex_;
    std::vector<start_record> starts_;
    std::vector<std::string> urls_;
    int closes_ = 0;
    bool fail_starts_ = false;
};

// The list reply of `rows` records "||title||code||id||availability||EOL\n".
struct list_row {
    std::string title;
    std::string code;
    std::string id;
    int availability;
};
std::string list_body(const std::vector<list_row>& rows);

// A picture file's bytes (BMP) of one colour.
std::string picture_bytes(int width, int height, Uint8 red, Uint8 green, Uint8 blue);

class catalogue_test : public sdl_test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // What the stand-in service answers to a target; the default answers the empty body.
    void answer(std::function<fake_reply(const std::string&)> responder);
    // Answers every list request with `body` (whole, in one piece).
    void answer_lists(const std::string& body);

    // The window's pixels in a rectangle, row by row, after `draw` on a black window.
    std::vector<Uint32> capture(int x, int y, int w, int h);
    // Pixels that are not black in a rectangle of the window.
    int lit_pixels(int x, int y, int w, int h);
    // White pixels (drawn text) in a rectangle of the window.
    int white_pixels(int x, int y, int w, int h);
    // Logs the browser wrote so far.
    std::string error_log() const { return folder_.read("error_log.txt"); }

    std::unique_ptr<fake_service> service_;
    recording_processes processes_;

  private:
    std::mutex responder_mutex_;
    std::function<fake_reply(const std::string&)> responder_;
};

}  // namespace rx::test
