// The checkbox: toggled by a click on its small box, or by Return/Space while focused or under the
// pointer.
#include "widgets/checkbox.h"

#include <exception>

#include "common/guard.h"
#include "widgets/image.h"
#include "widgets/pointer.h"

namespace rx {
checkbox::~checkbox() {
    if (image_) SDL_FreeSurface(image_);
    if (focus_image_) SDL_FreeSurface(focus_image_);
}

void checkbox::load(int x, int y, int width, int height, const std::string& image_file) {
    run_logged("checkbox", "load", [&] {
        box_ = SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(width),
                        static_cast<Uint16>(height)};
        unticked_frame_ = SDL_Rect{0, 0, static_cast<Uint16>(width), static_cast<Uint16>(height)};
        ticked_frame_ = SDL_Rect{static_cast<Sint16>(width), 0, static_cast<Uint16>(width),
                                 static_cast<Uint16>(height)};
        current_ = ticked_ ? &ticked_frame_ : &unticked_frame_;
        if (image_) SDL_FreeSurface(image_);
        image_ = load_image(image_file);
    });
}

void checkbox::load_focus_frame(int y, const std::string& image_file) {
    run_logged("checkbox", "load_focus_frame", [&] {
        focus_box_ = SDL_Rect{202, static_cast<Sint16>(y), 14, 14};
        if (focus_image_) SDL_FreeSurface(focus_image_);
        focus_image_ = load_image(image_file);
    });
}

void checkbox::set_ticked() {
    ticked_ = true;
    current_ = &ticked_frame_;
}

void checkbox::set_unticked() {
    ticked_ = false;
    current_ = &unticked_frame_;
}

void checkbox::toggle() {
    ticked_ = !ticked_;
    changed_ = true;
    current_ = ticked_ ? &ticked_frame_ : &unticked_frame_;
}

void checkbox::handle_events(const SDL_Event& event) {
    changed_ = false;
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
            if (left_click_inside(event, box_)) toggle();
            break;
        case SDL_KEYDOWN:
            if (is_press_key(event.key.keysym.sym) && (focused_ || pointer_inside(box_))) {
                toggle();
            }
            break;
        case SDL_JOYBUTTONDOWN:
            if (pointer_inside(box_)) toggle();
            break;
        default:
            break;
    }
}

void checkbox::show() {
    run_logged("checkbox", "show", [&] {
        SDL_Surface* screen = SDL_GetVideoSurface();
        blit_at(box_.x, box_.y, image_, screen, current_);
        if (focused_ && focus_image_) blit_at(focus_box_.x, focus_box_.y, focus_image_, screen);
    });
}

}  // namespace rx
