// The console controls screens' shared title, Home and Back buttons.
#include "browser/controls/console_screen.h"

#include <exception>

#include "browser/core/app.h"
#include "browser/ui/image.h"
#include "platform/path.h"

namespace rx {

namespace {
const widget_place home_place{"home", 645, 5, 150, 40, "button_home.png"};
const widget_place back_place{"back", 490, 5, 150, 40, "button_back.png"};
}  // namespace

const std::vector<widget_place>& console_screen::layout() {
    static const std::vector<widget_place> widgets{home_place, back_place};
    return widgets;
}

console_screen::~console_screen() {
    if (title_surface_ != nullptr) SDL_FreeSurface(title_surface_);
    if (font_ != nullptr) TTF_CloseFont(font_);
}

void console_screen::log_unknown(const char* operation) const {
    log_error("Unknown Exception - " + class_name_ + "::" + operation);
}

void console_screen::init() {
    try {
        // A second init (tests) must not leak the first one's font and title.
        if (title_surface_ != nullptr) SDL_FreeSurface(title_surface_);
        if (font_ != nullptr) TTF_CloseFont(font_);
        title_surface_ = nullptr;
        font_ = nullptr;
        home_.load_button(home_place);
        back_.load_button(back_place);
        if (auto dir = get_directory()) {
            font_ = TTF_OpenFont(platform::join_path(*dir, "NEURPOLI.TTF").c_str(), 20);
        }
        if (font_ != nullptr) {
            title_surface_ =
                TTF_RenderText_Solid(font_, title_.c_str(), SDL_Color{255, 255, 255, 0});
        }
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_unknown("init");
    }
}

void console_screen::show() {
    try {
        SDL_Surface* screen = SDL_GetVideoSurface();
        if (title_surface_ != nullptr) blit_at(5, 5, title_surface_, screen);
        home_.show();
        back_.show();
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_unknown("show");
    }
}

void console_screen::handle_events(const SDL_Event& event) {
    home_.handle_events(event);
    back_.handle_events(event);
}

void console_screen::reset() {
    home_.reset();
    back_.reset();
}

}  // namespace rx
