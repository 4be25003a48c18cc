// Start-up, the 16 ms main loop, the keyboard-driven pointer, settings, shutdown and the error log.
#include "browser/app/app.h"

#include <SDL_net.h>
#include <SDL_ttf.h>

#include <array>
#include <exception>
#include <fstream>
#include <memory>

#include "browser/app/handlers.h"
#include "browser/app/processes.h"
#include "browser/app/screens.h"
#include "browser/app/session.h"
#include "browser/base/program.h"
#include "emulators/systems.h"
#include "platform/path.h"
#include "platform/process.h"
#include "widgets/display_message.h"
#include "widgets/image.h"

namespace rx {

namespace {

constexpr int window_width = 800;
constexpr int window_height = 600;
constexpr int window_depth = 32;
constexpr Uint32 frame_ms = 16;
constexpr int joystick_slots = 5;
// A stick must leave this dead zone before it moves the pointer.
constexpr Sint16 axis_dead_zone = 7999;

struct app_state {
    SDL_Surface* background = nullptr;
    SDL_Surface* background_dark = nullptr;
    TTF_Font* small_font = nullptr;
    int current_screen = screen_login;
    bool quit = false;
    bool paused = false;
    bool cursor_keys_enabled = true;
    int velocity_x = 0;
    int velocity_y = 0;
    int speed_x = 1;
    int speed_y = 1;
    unsigned frame_counter = 0;
    std::array<SDL_Joystick*, joystick_slots> joysticks{};
    int fullscreen = 0;
    user_info user;
    std::unique_ptr<display_message> message;
    std::function<app::login_choices()> login_source;
};

app_state& state() {
    static app_state s;
    return s;
}

Uint32 video_flags(int fullscreen) {
    return fullscreen != 0 ? SDL_FULLSCREEN : 0;
}

std::optional<std::string> user_info_path() {
    const auto dir = get_directory();
    if (!dir) return std::nullopt;
    return platform::join_path(*dir, "userinfo.dat");
}

int sign(int value) {
    return value < 0 ? -1 : 1;
}

// Steps 3a and 3b of a frame: move by the velocity when the whole step stays inside, then
// accelerate.
void move_pointer() {
    app_state& s = state();
    if (s.velocity_x != 0 || s.velocity_y != 0) {
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        const int new_x = x + s.velocity_x;
        const int new_y = y + s.velocity_y;
        if (new_x >= 1 && new_x <= window_width - 1 && new_y >= 1 && new_y <= window_height - 1) {
            SDL_WarpMouse(static_cast<Uint16>(new_x), static_cast<Uint16>(new_y));
        }
    }
    if (s.velocity_x == 0 && s.velocity_y == 0) {
        s.speed_x = 1;
        s.speed_y = 1;
        return;
    }
    if (s.frame_counter % 2 == 1) {
        if (s.speed_x < 20) s.speed_x *= 2;
        if (s.speed_y < 15) s.speed_y *= 2;
    }
    if (s.velocity_x != 0) s.velocity_x = sign(s.velocity_x) * s.speed_x;
    if (s.velocity_y != 0) s.velocity_y = sign(s.velocity_y) * s.speed_y;
}

void release_files() {
    app_state& s = state();
    if (s.background != nullptr) SDL_FreeSurface(s.background);
    if (s.background_dark != nullptr) SDL_FreeSurface(s.background_dark);
    if (s.small_font != nullptr) TTF_CloseFont(s.small_font);
    s.background = nullptr;
    s.background_dark = nullptr;
    s.small_font = nullptr;
}

void close_joysticks() {
    for (auto& joystick : state().joysticks) {
        if (joystick != nullptr) SDL_JoystickClose(joystick);
        joystick = nullptr;
    }
}

}  // namespace

// ---- program-wide state ----

namespace app {

user_info& user() {
    return state().user;
}
int current_screen() {
    return state().current_screen;
}
void set_current_screen(int number) {
    state().current_screen = number;
}
bool fullscreen() {
    return state().fullscreen != 0;
}
void request_quit() {
    state().quit = true;
}
bool quit_requested() {
    return state().quit;
}
bool cursor_keys_enabled() {
    return state().cursor_keys_enabled;
}
void set_cursor_keys_enabled(bool enabled) {
    state().cursor_keys_enabled = enabled;
}
bool paused() {
    return state().paused;
}
unsigned frame_counter() {
    return state().frame_counter;
}
pointer_motion pointer() {
    const app_state& s = state();
    return {s.velocity_x, s.velocity_y, s.speed_x, s.speed_y};
}
SDL_Surface* background() {
    return state().background;
}

void reset_loop_state() {
    app_state& s = state();
    s.current_screen = screen_login;
    s.quit = false;
    s.paused = false;
    s.cursor_keys_enabled = true;
    s.velocity_x = 0;
    s.velocity_y = 0;
    s.speed_x = 1;
    s.speed_y = 1;
    s.frame_counter = 0;
}

void set_login_choices_source(std::function<login_choices()> source) {
    state().login_source = std::move(source);
}

display_message& message() {
    // Made on first use when a caller comes before start-up has made it (tests of single screens).
    if (!state().message) create_message();
    return *state().message;
}

void create_message() {
    state().message = std::make_unique<display_message>("NEURPOLI.TTF", 20, 255, 255, 255);
}

void destroy_message() {
    state().message.reset();
}

// ---- start-up ----

bool init() {
    app_state& s = state();
    s.user = user_info{};
    if (const auto path = user_info_path()) {
        if (auto saved = read_user_info_file(*path)) s.user = *saved;
    }
    s.fullscreen = s.user.fullscreen != 0 ? 1 : 0;

    if (SDL_Init(SDL_INIT_EVERYTHING) == -1) {
        log_error("Failed it init() SDL - init");
        return false;
    }
    if (SDL_SetVideoMode(window_width, window_height, window_depth, video_flags(s.fullscreen)) ==
        nullptr) {
        log_error("Failed to create screen - init");
        return false;
    }
    if (TTF_Init() == -1) {
        log_error("Failed to init TTF - init");
        return false;
    }
    SDL_EnableUNICODE(1);
    close_joysticks();
    const int count = SDL_NumJoysticks() < joystick_slots ? SDL_NumJoysticks() : joystick_slots;
    for (int i = 0; i < count; ++i) {
        s.joysticks[i] = SDL_JoystickOpen(i);
        if (s.joysticks[i] == nullptr) {
            log_error("Failed to open joystick - init");
            return false;
        }
    }
    if (SDLNet_Init() == -1) {
        log_error("Failed to init SDLNet - init");
        return false;
    }
    if (s.fullscreen == 0) SDL_WM_SetCaption("Relicade", nullptr);
    return true;
}

bool load_files() {
    app_state& s = state();
    // Loading again (tests do) replaces what an earlier call loaded instead of leaking it.
    release_files();
    s.background = load_image("background.png");
    s.background_dark = load_image("background_dark.png");
    if (const auto dir = get_directory()) {
        s.small_font = TTF_OpenFont(platform::join_path(*dir, "NEURPOLI.TTF").c_str(), 12);
    }
    if (s.background == nullptr) {
        log_error("Failed to load image - load_files");
        return false;
    }
    if (s.background_dark == nullptr) {
        log_error("Failed to load background_dark - load_files");
        return false;
    }
    if (s.small_font == nullptr) {
        log_error("Failed to load font - load_files");
        return false;
    }
    return true;
}

void init_screens() {
    screen_set& sc = screens();
    screen* const order[] = {&sc.login,     &sc.main_menu, &sc.news,    &sc.game_list,
                             &sc.game_info, &sc.controls,  &sc.facebook};
    for (screen* each : order) each->init();
    // The consoles' screens follow in the console table's order.
    for (const auto& console : sc.consoles()) console->init();
}

int run_program() {
    return run_logged_or(0, "main", "main", [&] {
        platform::set_environment("SDL_VIDEO_WINDOW_POS", "center");
        platform::set_environment("SDL_VIDEO_CENTERED", "1");
        if (!init() || !load_files()) {
            // The display mode is given back even on a failed start.
            SDL_Quit();
            return 1;
        }
        check_version();
        SDL_WarpMouse(window_width / 2, window_height / 2);
        init_screens();
        create_message();
        if (run_loop() != 0) return 1;
        clean_up();
        destroy_message();
        return 0;
    });
}

// ---- the loop ----

void process_event(const SDL_Event& event) {
    app_state& s = state();
    if (!s.paused) dispatch_events(s.current_screen, event);
    handle_cursor(event);
    if (event.type == SDL_QUIT) {
        save_settings();
        s.quit = true;
    } else if (event.type == SDL_ACTIVEEVENT) {
        // Any loss (mouse focus, input focus, iconified) pauses; any gain resumes.
        s.paused = event.active.gain == 0;
    }
}

bool run_frame() {
    app_state& s = state();
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) process_event(event);
    if (!s.paused) {
        move_pointer();
        SDL_Surface* screen = SDL_GetVideoSurface();
        blit_at(0, 0, s.background, screen);
        dispatch_show(s.current_screen);
        message().show();
        if (SDL_Flip(screen) == -1) return false;
    }
    ++s.frame_counter;
    return true;
}

int run_loop() {
    while (!state().quit) {
        const Uint32 start = SDL_GetTicks();
        if (!run_frame()) {
            log_error("Failed to Flip SDL - main");
            destroy_message();
            SDL_Quit();
            return 1;
        }
        const Uint32 elapsed = SDL_GetTicks() - start;
        if (elapsed < frame_ms) SDL_Delay(frame_ms - elapsed);
    }
    return 0;
}

void handle_cursor(const SDL_Event& event) {
    app_state& s = state();
    if (!s.cursor_keys_enabled) return;
    run_logged("main", "handle_cursor", [&] {
        switch (event.type) {
            case SDL_KEYDOWN: {
                const Uint8* keys = SDL_GetKeyState(nullptr);
                if (keys[SDLK_UP]) {
                    s.velocity_y = -s.speed_y;
                } else if (keys[SDLK_DOWN]) {
                    s.velocity_y = s.speed_y;
                }
                if (keys[SDLK_LEFT]) {
                    s.velocity_x = -s.speed_x;
                } else if (keys[SDLK_RIGHT]) {
                    s.velocity_x = s.speed_x;
                } else if (keys[SDLK_RALT] && keys[SDLK_RETURN]) {
                    toggle_fullscreen();
                }
                break;
            }
            case SDL_KEYUP:
                if (event.key.keysym.sym == SDLK_UP || event.key.keysym.sym == SDLK_DOWN) {
                    s.velocity_y = 0;
                } else if (event.key.keysym.sym == SDLK_LEFT ||
                           event.key.keysym.sym == SDLK_RIGHT) {
                    s.velocity_x = 0;
                }
                break;
            case SDL_JOYAXISMOTION: {
                SDL_Joystick* stick = s.joysticks[0];
                if (stick == nullptr) break;
                const Sint16 x = SDL_JoystickGetAxis(stick, 0);
                const Sint16 y = SDL_JoystickGetAxis(stick, 1);
                s.velocity_x = x < -axis_dead_zone  ? -s.speed_x
                               : x > axis_dead_zone ? s.speed_x
                                                    : 0;
                s.velocity_y = y < -axis_dead_zone  ? -s.speed_y
                               : y > axis_dead_zone ? s.speed_y
                                                    : 0;
                break;
            }
            default:
                break;
        }
    });
}

void toggle_fullscreen() {
    app_state& s = state();
    const int previous = s.fullscreen;
    s.fullscreen = previous != 0 ? 0 : 1;
    if (SDL_SetVideoMode(window_width, window_height, window_depth, video_flags(s.fullscreen)) ==
        nullptr) {
        // Without a window nothing could be drawn again: fall back to the mode that worked.
        log_error("Failed to create screen - toggle_fullscreen");
        s.fullscreen = previous;
        SDL_SetVideoMode(window_width, window_height, window_depth, video_flags(previous));
    }
}

void show(int x, int y, SDL_Surface* surface) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    blit_at(0, 0, state().background_dark, screen);
    blit_at(x, y, surface, screen);
    if (SDL_Flip(screen) == -1) log_error("Failed to Flip SDL - show");
}

// ---- the screens' way back ----

namespace {

class core_services final : public program_services {
  public:
    const user_info& user() override { return app::user(); }
    void clear_controls() override { app::clear_controls(); }
    void watch_game(const std::string& program_path, const std::wstring& launch_argument) override {
        rx::watch_game(program_path, launch_argument);
    }
    void open_facebook_status(const std::wstring& user_name) override {
        rx::open_facebook_status(user_name);
    }
};

}  // namespace

program_services& services() {
    static core_services instance;
    return instance;
}

namespace {

// In place before main, so that a screen made on its own (tests) reaches the program too.
const bool services_installed = (installed_program = &services(), true);

}  // namespace

// ---- screens and settings ----

void clear_controls() {
    run_logged("main", "clear_controls", [&] {
        screen_set& sc = screens();
        sc.login.reset();
        sc.main_menu.reset();
        sc.game_list.reset();
        sc.controls.reset();
        for (const auto& console : sc.consoles()) console->reset();
        sc.news.clear_buttons();
        sc.game_info.clear_buttons();
        sc.facebook.clear_buttons();
    });
}

void save_settings() {
    run_logged("main", "save_settings", [&] {
        app_state& s = state();
        login_choices choices;
        if (s.login_source) {
            choices = s.login_source();
        } else {
            choices.save_login = screens().login.save_login_ticked();
            choices.auto_login = screens().login.auto_login_ticked();
        }
        const auto path = user_info_path();
        if (choices.save_login) {
            s.user.save_login = 1;
            s.user.auto_login = choices.auto_login ? 1 : 0;
            s.user.fullscreen = s.fullscreen;
            if (path && !write_user_info_file(*path, s.user)) {
                log_error("Failed to write userinfo.dat - save_settings");
            }
        } else if (path) {
            remove_user_info_file(*path);
        }
    });
}

void load_system(int number) {
    run_logged("main", "load_system", [&] {
        user_info& info = state().user;
        info.last_system = number;
        if (info.name_filter.empty()) info.name_filter = "^[a-b]";
        const system_entry* system = find_system(number);
        const std::string title = system != nullptr ? std::string(system->title) : std::string();
        const user_info copy = info;
        screens().game_list.set_user_info(copy, title);
        screens().game_list.load_list();
        state().current_screen = screen_game_list;
    });
}

void load_search(const std::string& filter) {
    run_logged("main", "load_search", [&] {
        state().user.name_filter = storable_name_filter(filter);
        const user_info copy = state().user;
        screens().game_list.set_user_info(copy);
        screens().game_list.load_list();
    });
}

void clean_up() {
    try {
        logout();
        release_files();
        close_joysticks();
        SDLNet_Quit();
        SDL_Quit();
    } catch (const std::exception& e) {
        log_error(std::string("Exception - main::clean_up") + e.what());
    } catch (...) {
        log_error("Unknown Exception - main::clean_up");
    }
}

}  // namespace app

}  // namespace rx
