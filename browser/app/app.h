// Program-wide state of the browser and the services the screens and handlers call.
#pragma once
#include <SDL.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "browser/base/logic/user_info.h"
#include "browser/base/screen.h"
#include "common/guard.h"
#include "common/program_folder.h"

namespace rx {

class display_message;

class program_services;

namespace app {

// The browser core's side of the screens' one way back into the program (browser/base/program.h).
program_services& services();

user_info& user();
int current_screen();
void set_current_screen(int number);
bool fullscreen();

void clear_controls();
void toggle_fullscreen();
void save_settings();
void request_quit();
bool quit_requested();

// Gate of the keyboard- and joystick-driven pointer; the console screens' wrappers close it while a
// Set All captures inputs, so arrow keys and the fullscreen keys reach the capture instead.
bool cursor_keys_enabled();
void set_cursor_keys_enabled(bool enabled);

// The one timed message line; valid once start-up has constructed it.
display_message& message();

// Wait image: dark background, `surface` at (x, y), flip.
void show(int x, int y, SDL_Surface* surface);

// Switches to the game list for system `number` / reloads it with a new name filter.
void load_system(int number);
void load_search(const std::string& filter);

// The program from start-up to exit code, as main runs it.
int run_program();

// Start-up steps: SDL, window, fonts, joysticks and network / the backgrounds and the small font.
bool init();
bool load_files();
// init of every screen once, in start-up order.
void init_screens();
// The single message display: made at start-up, destroyed after clean_up.
void create_message();
void destroy_message();

// Frames every 16 ms until the quit flag is set; 1 when a flip failed, else 0.
int run_loop();
// One frame: drain events, move the pointer, draw background, screen and message, flip.
// False when the flip failed.
bool run_frame();
// What the loop does with one polled event: the screen's handler, the pointer, quit and pause.
void process_event(const SDL_Event& event);
// Arrow keys and joystick 0 steer the pointer; right Alt + Return toggles fullscreen.
void handle_cursor(const SDL_Event& event);
// logout, then the backgrounds, joysticks, SDL_net and SDL go.
void clean_up();

bool paused();
unsigned frame_counter();
struct pointer_motion {
    int velocity_x;
    int velocity_y;
    int speed_x;
    int speed_y;
};
pointer_motion pointer();
SDL_Surface* background();

// Loop state back to its start values (screen 1, no quit, no pause, pointer at rest, frame 0).
void reset_loop_state();

// What save_settings reads from the login screen; tests may substitute the two boxes.
struct login_choices {
    bool save_login = false;
    bool auto_login = false;
};
void set_login_choices_source(std::function<login_choices()> source);

}  // namespace app

}  // namespace rx
