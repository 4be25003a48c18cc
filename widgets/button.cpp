// The three-frame image button's event rules and drawing, and the fixed-place static image.
#include "widgets/button.h"

#include <exception>

#include "common/guard.h"
#include "widgets/image.h"
#include "widgets/pointer.h"

namespace rx {

button::~button() {
    if (image_ != nullptr) SDL_FreeSurface(image_);
}

void button::load_button(int x, int y, int height, const std::string& image_file, int width) {
    if (image_ != nullptr) {
        SDL_FreeSurface(image_);
        image_ = nullptr;
    }
    box_ = SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(width),
                    static_cast<Uint16>(height)};
    normal_ = SDL_Rect{0, 0, static_cast<Uint16>(width), static_cast<Uint16>(height)};
    pressed_ = SDL_Rect{static_cast<Sint16>(width), 0, static_cast<Uint16>(width),
                        static_cast<Uint16>(height)};
    hover_ = SDL_Rect{static_cast<Sint16>(2 * width), 0, static_cast<Uint16>(width),
                      static_cast<Uint16>(height)};
    current_ = &normal_;
    image_ = load_image(image_file);
}

void button::show() {
    blit_at(box_.x, box_.y, image_, SDL_GetVideoSurface(), current_);
}

void button::press() {
    current_ = &pressed_;
    selected_ = true;
    clicked_ = true;
}

void button::release_frame() {
    current_ = selected_ ? &hover_ : &normal_;
}

void button::handle_events(const SDL_Event& event) {
    clicked_ = false;
    switch (event.type) {
        case SDL_MOUSEMOTION:
            if (inside(box_, event.motion.x, event.motion.y)) {
                current_ = &hover_;
            } else {
                release_frame();
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button != SDL_BUTTON_LEFT) break;
            if (inside(box_, event.button.x, event.button.y)) {
                press();
            } else {
                selected_ = false;
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (left_click_inside(event, box_)) release_frame();
            break;
        case SDL_KEYDOWN:
            if (!is_press_key(event.key.keysym.sym)) break;
            if (pointer_inside(box_) || selected_) {
                press();
            } else {
                selected_ = false;
            }
            break;
        case SDL_KEYUP:
            if (is_press_key(event.key.keysym.sym) && (pointer_inside(box_) || selected_)) {
                release_frame();
            }
            break;
        case SDL_JOYBUTTONDOWN:
            if (pointer_inside(box_)) {
                press();
            } else {
                selected_ = false;
            }
            break;
        case SDL_JOYBUTTONUP:
            if (pointer_inside(box_)) release_frame();
            break;
        default:
            break;
    }
}

void button::reset() {
    clicked_ = false;
    selected_ = false;
    current_ = &normal_;
}

static_image::~static_image() {
    if (image_ != nullptr) SDL_FreeSurface(image_);
}

void static_image::load(int x, int y, int width, int height, const std::string& image_file) {
    if (image_ != nullptr) {
        SDL_FreeSurface(image_);
        image_ = nullptr;
    }
    box_ = SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(width),
                    static_cast<Uint16>(height)};
    image_ = load_image(image_file);
}

void static_image::show() {
    run_logged("static_image", "show",
               [&] { blit_at(box_.x, box_.y, image_, SDL_GetVideoSurface()); });
}

}  // namespace rx
