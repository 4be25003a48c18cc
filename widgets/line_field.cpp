// The text fields' shared rules: a left click or a joystick button sets the focus by the pointer,
// and the caret changes every 10th frame while focused.
#include "widgets/line_field.h"

#include <exception>

#include "common/guard.h"
#include "platform/path.h"
#include "widgets/image.h"
#include "widgets/pointer.h"

namespace rx {

line_field::line_field(const char* name, SDL_Rect box)
    : box_(box), name_(name), frame_{0, 0, box.w, box.h} {}

line_field::~line_field() {
    if (rendered_) SDL_FreeSurface(rendered_);
    if (background_) SDL_FreeSurface(background_);
    if (font_) TTF_CloseFont(font_);
}

void line_field::load_field(const std::string& background_file, const std::string& font_file) {
    run_guarded_as([&] { return std::string("Unknown Exception - ") + name_ + "::load_" + name_; },
                   [&] {
                       if (background_) SDL_FreeSurface(background_);
                       background_ = load_image(background_file);
                       if (font_) TTF_CloseFont(font_);
                       font_ = nullptr;
                       rendered_stale_ = true;
                       if (const auto directory = get_directory()) {
                           font_ =
                               TTF_OpenFont(platform::join_path(*directory, font_file).c_str(), 20);
                       }
                   });
}

void line_field::handle_events(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                set_focused(inside(box_, event.button.x, event.button.y));
            }
            break;
        case SDL_KEYDOWN:
            if (focused_) type(event.key.keysym);
            if (moves_focus(event.key.keysym.sym)) set_focused(pointer_inside(box_));
            break;
        case SDL_JOYBUTTONDOWN:
            set_focused(pointer_inside(box_));
            break;
        default:
            break;
    }
}

void line_field::show() {
    run_logged(name_, "show", [&] {
        bool caret = false;
        if (focused_) {
            ++frame_counter_;
            if (frame_counter_ % 10 == 0) caret_visible_ = !caret_visible_;
            caret = caret_visible_;
        }
        if (update_shown(caret) || rendered_stale_) {
            if (rendered_) SDL_FreeSurface(rendered_);
            rendered_ = nullptr;
            if (font_) rendered_ = render_shown();
            rendered_stale_ = false;
        }
        SDL_Surface* screen = SDL_GetVideoSurface();
        blit_at(box_.x, box_.y, background_, screen, &frame_);
        blit_at(box_.x + 3, box_.y, rendered_, screen);
    });
}

}  // namespace rx
