// The capture box's event rules, input naming and drawing.
#include "browser/ui/controlbox.h"

#include <utility>

#include "common/guard.h"
#include "emulators/input_names.h"
#include "emulators/sdl_keys.h"
#include "platform/path.h"
#include "widgets/image.h"

namespace rx {

namespace {

std::function<void(Uint32)>& settle_wait() {
    static std::function<void(Uint32)> wait;
    return wait;
}

void settle() {
    if (settle_wait()) {
        settle_wait()(controlbox::settle_ms);
    } else {
        SDL_Delay(controlbox::settle_ms);
    }
}

}  // namespace

void controlbox::set_settle_wait(std::function<void(Uint32)> wait) {
    settle_wait() = std::move(wait);
}

controlbox::~controlbox() {
    release();
}

void controlbox::release() {
    free_surface(image_);
    free_surface(text_surface_);
    rendered_ = false;
    if (font_ != nullptr) {
        TTF_CloseFont(font_);
        font_ = nullptr;
    }
}

void controlbox::load_controlbox(int x, int y, const std::string& image_file,
                                 const std::string& font_file, const std::string& prompt,
                                 binding* bound) {
    run_logged("controlbox", "load_controlbox", [&] {
        release();
        box_ = SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), width, height};
        frame_ = SDL_Rect{0, 0, width, height};
        image_ = load_image(image_file);
        if (auto dir = get_directory()) {
            font_ = TTF_OpenFont(platform::join_path(*dir, font_file).c_str(), 20);
        }
        prompt_ = prompt;
        bound_ = bound;
        capturing_ = false;
        shown_ = bound_text();
    });
}

std::string controlbox::bound_text() const {
    return bound_ != nullptr ? shown_name(*bound_) : std::string();
}

void controlbox::bind(binding* bound) {
    bound_ = bound;
    stop_capture();
}

void controlbox::start_capture() {
    capturing_ = true;
    shown_ = prompt_;
}

void controlbox::stop_capture() {
    capturing_ = false;
    shown_ = bound_text();
}

void controlbox::show() {
    run_logged("controlbox", "show", [&] {
        SDL_Surface* screen = SDL_GetVideoSurface();
        blit_at(box_.x, box_.y, image_, screen, &frame_);
        if (!rendered_ || rendered_text_ != shown_) {
            free_surface(text_surface_);
            // SDL_ttf refuses an empty text; no font or no text draws nothing.
            if (font_ != nullptr && !shown_.empty())
                text_surface_ = TTF_RenderText_Solid(font_, shown_.c_str(), SDL_Color{0, 0, 0, 0});
            rendered_text_ = shown_;
            rendered_ = true;
        }
        blit_at(box_.x + 3, box_.y, text_surface_, screen);
    });
}

void controlbox::pointer_test(int x, int y) {
    if (inside(box_, x, y)) {
        start_capture();
    } else {
        stop_capture();
    }
}

void controlbox::finish() {
    changed_ = true;
    stop_capture();
}

void controlbox::assign(const input& captured) {
    // A box without a binding still ends its capture; there is nowhere to write.
    if (bound_ != nullptr) {
        bound_->id = captured;
        bound_->captured = true;
        assigned_ = true;
    }
    finish();
}

void controlbox::handle_events(const SDL_Event& event) {
    changed_ = false;
    assigned_ = false;
    if (locked_) {
        capturing_ = false;
        shown_ = bound_text();
        return;
    }
    int x = 0;
    int y = 0;
    switch (event.type) {
        case SDL_KEYDOWN:
            if (capturing_ && keyboard_allowed_) {
                capture_key(event);
            } else if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_SPACE) {
                SDL_GetMouseState(&x, &y);
                pointer_test(x, y);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT)
                pointer_test(event.button.x, event.button.y);
            break;
        case SDL_JOYAXISMOTION:
            if (capturing_ && joystick_allowed_) capture_axis(event);
            break;
        case SDL_JOYHATMOTION:
            if (capturing_ && joystick_allowed_ && hats_allowed_) capture_hat(event);
            break;
        case SDL_JOYBUTTONDOWN:
            if (capturing_ && joystick_allowed_) {
                capture_button(event);
            } else {
                SDL_GetMouseState(&x, &y);
                pointer_test(x, y);
            }
            break;
        default:
            break;
    }
}

void controlbox::capture_key(const SDL_Event& event) {
    run_logged("controlbox", "handle_keyboard_events", [&] {
        // The key goes to the code the settings files store through the one table rx_retro plays
        // them back with, so a capture never names a key the game would not answer to.
        if (const int code = key_code_of_sym(event.key.keysym.sym)) {
            assign(input::key(code));
        } else {
            finish();
        }
    });
}

void controlbox::capture_button(const SDL_Event& event) {
    run_logged("controlbox", "handle_joybutton_events",
               [&] { assign(input::button(event.jbutton.which + 1, event.jbutton.button)); });
}

void controlbox::capture_axis(const SDL_Event& event) {
    run_logged("controlbox", "handle_joyaxis_events", [&] {
        const int axis = event.jaxis.axis;
        if (axis > 3 || (axis > 1 && !extra_axes_allowed_)) return;
        const int value = event.jaxis.value;
        if (value >= -axis_dead_zone && value <= axis_dead_zone) return;
        assign(input::axis(event.jaxis.which + 1, axis, value > 0));
        settle();
    });
}

void controlbox::capture_hat(const SDL_Event& event) {
    run_logged("controlbox", "handle_tophat_events", [&] {
        const Uint8 v = event.jhat.value;
        hat_direction direction;
        // A diagonal is taken as its up or down part.
        if (v & SDL_HAT_UP) {
            direction = hat_direction::up;
        } else if (v & SDL_HAT_DOWN) {
            direction = hat_direction::down;
        } else if (v & SDL_HAT_LEFT) {
            direction = hat_direction::left;
        } else if (v & SDL_HAT_RIGHT) {
            direction = hat_direction::right;
        } else {
            return;
        }
        assign(input::pov(event.jhat.which + 1, direction));
        settle();
    });
}

}  // namespace rx
