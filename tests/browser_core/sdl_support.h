// Test support: SDL on the dummy driver and a private program folder with the artwork.
#pragma once
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "files.h"

namespace rx::test {

// True once the artwork target has filled the program folder.
bool artwork_present();

// A fresh temporary folder that stands in for the program folder: get_directory points at it, and
// its images folder and font lead to the real artwork, so logs, userinfo.dat and the user registry
// stay private to the test.
class program_folder {
  public:
    program_folder();
    ~program_folder();
    program_folder(const program_folder&) = delete;
    program_folder& operator=(const program_folder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const;
    // Whole contents of a file in the folder; empty when missing.
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

  private:
    std::string path_;
    // The user registry's file, pointed into the folder so that screens which read or create
    // registry keys (the NES screen) never touch the real one.
    bool had_registry_ = false;
    std::string old_registry_;
};

// SDL (video, timer, joystick) on the dummy driver with an 800 x 600 x 32 video surface and TTF.
class sdl_session {
  public:
    sdl_session();
    ~sdl_session();
    sdl_session(const sdl_session&) = delete;
    sdl_session& operator=(const sdl_session&) = delete;
    bool ok() const { return ok_; }

  private:
    bool ok_ = false;
};

// A test with a private program folder and SDL up; the program's loop state is reset before each
// test.
class sdl_test : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    program_folder folder_;
    sdl_session* sdl_ = nullptr;
};

// Points every service address at a loopback port that nothing listens on, for as long as it lives,
// so that screens which fetch from the service fail at once instead of waiting on a real host.
class closed_catalogue {
  public:
    closed_catalogue();
    ~closed_catalogue();
    closed_catalogue(const closed_catalogue&) = delete;
    closed_catalogue& operator=(const closed_catalogue&) = delete;
};

// Skips the current test with a clear reason while the artwork has not been generated.
#define RX_REQUIRE_ARTWORK()                                                   \
    do {                                                                       \
        if (!::rx::test::artwork_present())                                    \
            GTEST_SKIP() << "artwork missing in " << ::rx::test::program_dir() \
                         << "/images (build the rx_artwork target)";           \
    } while (0)

// Injected input. Key events also set SDL's key state, as a real key press would.
void key(SDLKey sym, bool down);
void mouse_button(Uint8 which, bool down, int x, int y);
void mouse_motion(int x, int y);
void joystick_button(bool down);
// Moves SDL's idea of the pointer (what SDL_GetMouseState reports) and drops the motion event.
void place_pointer(int x, int y);
SDL_Event make_key(SDLKey sym, bool down);
SDL_Event make_mouse_button(Uint8 which, bool down, int x, int y);
SDL_Event make_mouse_motion(int x, int y);
SDL_Event make_joystick_button(bool down);
// Drops every pending event.
void drain_events();

// The pixel at (x, y) of a 32-bit surface.
Uint32 pixel(SDL_Surface* surface, int x, int y);

}  // namespace rx::test
