// Test support: SDL on the dummy driver and a private program folder with the artwork.
#include "tests/browser_core/sdl_support.h"

#include <SDL_ttf.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "browser/app/app.h"

namespace fs = std::filesystem;

namespace rx::test {

bool artwork_present() {
    std::error_code ec;
    return fs::is_regular_file(fs::path(program_dir()) / "images" / "background.png", ec) &&
           fs::is_regular_file(fs::path(program_dir()) / "NEURPOLI.TTF", ec);
}

program_folder::program_folder() {
    std::string pattern = (fs::temp_directory_path() / "rx_browser_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    std::error_code ec;
    const fs::path real(program_dir());
    if (fs::exists(real / "images", ec))
        fs::create_directory_symlink(real / "images", fs::path(path_) / "images", ec);
    if (fs::exists(real / "NEURPOLI.TTF", ec))
        fs::create_symlink(real / "NEURPOLI.TTF", fs::path(path_) / "NEURPOLI.TTF", ec);
    const char* registry = getenv("RELICADE_REGISTRY_FILE");
    had_registry_ = registry != nullptr;
    if (had_registry_) old_registry_ = registry;
    setenv("RELICADE_REGISTRY_FILE", file("registry").c_str(), 1);
}

program_folder::~program_folder() {
    if (had_registry_) {
        setenv("RELICADE_REGISTRY_FILE", old_registry_.c_str(), 1);
    } else {
        unsetenv("RELICADE_REGISTRY_FILE");
    }
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string program_folder::file(const std::string& name) const {
    return (fs::path(path_) / name).string();
}

std::string program_folder::read(const std::string& name) const {
    return read_file(file(name));
}

bool program_folder::exists(const std::string& name) const {
    std::error_code ec;
    return fs::exists(fs::path(file(name)), ec);
}

sdl_session::sdl_session() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_JOYSTICK) == -1) return;
    if (SDL_SetVideoMode(800, 600, 32, 0) == nullptr) return;
    if (TTF_WasInit() == 0 && TTF_Init() == -1) return;
    SDL_EnableUNICODE(1);
    ok_ = true;
}

sdl_session::~sdl_session() {
    SDL_Quit();
}

void sdl_test::SetUp() {
    set_directory_override(folder_.path());
    sdl_ = new sdl_session;
    ASSERT_TRUE(sdl_->ok()) << SDL_GetError();
    app::reset_loop_state();
    app::set_login_choices_source(nullptr);
    // The pointer rests in the middle with no key held.
    Uint8* keys = SDL_GetKeyState(nullptr);
    for (int k = 0; k < SDLK_LAST; ++k) keys[k] = 0;
    place_pointer(400, 300);
}

void sdl_test::TearDown() {
    app::destroy_message();
    delete sdl_;
    sdl_ = nullptr;
    app::set_login_choices_source(nullptr);
    set_directory_override(std::nullopt);
}

namespace {

const char* const service_variables[] = {"RELICADE_WEB_HOST", "RELICADE_CATALOGUE_HOST",
                                         "RELICADE_SOCIAL_HOST"};

// Bound to port 0, read back and closed: free now, and nothing listens on it.
int unused_loopback_port() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    const bool ok = bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
    close(s);
    return ok ? ntohs(addr.sin_port) : 1;
}

}  // namespace

closed_catalogue::closed_catalogue() {
    const std::string address = "127.0.0.1:" + std::to_string(unused_loopback_port());
    for (const char* name : service_variables) setenv(name, address.c_str(), 1);
    setenv("RELICADE_FALLBACK_ADDRESS", "127.0.0.1", 1);
}

closed_catalogue::~closed_catalogue() {
    for (const char* name : service_variables) unsetenv(name);
    unsetenv("RELICADE_FALLBACK_ADDRESS");
}

SDL_Event make_key(SDLKey sym, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    return e;
}

SDL_Event make_mouse_button(Uint8 which, bool down, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = which;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

SDL_Event make_mouse_motion(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = static_cast<Uint16>(x);
    e.motion.y = static_cast<Uint16>(y);
    return e;
}

SDL_Event make_joystick_button(bool down) {
    SDL_Event e = make_joystick_press(0, 3);
    if (!down) e.type = SDL_JOYBUTTONUP;
    e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

SDL_Event make_joystick_axis(int which, int axis, int value) {
    SDL_Event e{};
    e.type = SDL_JOYAXISMOTION;
    e.jaxis.which = static_cast<Uint8>(which);
    e.jaxis.axis = static_cast<Uint8>(axis);
    e.jaxis.value = static_cast<Sint16>(value);
    return e;
}

SDL_Event make_joystick_hat(int which, Uint8 value) {
    SDL_Event e{};
    e.type = SDL_JOYHATMOTION;
    e.jhat.which = static_cast<Uint8>(which);
    e.jhat.value = value;
    return e;
}

SDL_Event make_joystick_press(int which, int number) {
    SDL_Event e{};
    e.type = SDL_JOYBUTTONDOWN;
    e.jbutton.which = static_cast<Uint8>(which);
    e.jbutton.button = static_cast<Uint8>(number);
    return e;
}

void key(SDLKey sym, bool down) {
    SDL_GetKeyState(nullptr)[sym] = down ? 1 : 0;
    SDL_Event e = make_key(sym, down);
    SDL_PushEvent(&e);
}

void mouse_button(Uint8 which, bool down, int x, int y) {
    SDL_Event e = make_mouse_button(which, down, x, y);
    SDL_PushEvent(&e);
}

void mouse_motion(int x, int y) {
    SDL_Event e = make_mouse_motion(x, y);
    SDL_PushEvent(&e);
}

void joystick_button(bool down) {
    SDL_Event e = make_joystick_button(down);
    SDL_PushEvent(&e);
}

void place_pointer(int x, int y) {
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
    drain_events();
}

void drain_events() {
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) {
    }
}

Uint32 pixel(SDL_Surface* surface, int x, int y) {
    SDL_LockSurface(surface);
    const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    const Uint32 value = reinterpret_cast<const Uint32*>(row)[x];
    SDL_UnlockSurface(surface);
    return value;
}

}  // namespace rx::test
