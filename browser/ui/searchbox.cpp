// The searchbox: key symbols (so lower-case letters and blanks) up to 40 characters, focus by the
// pointer.
#include "browser/ui/searchbox.h"

#include <exception>

#include "browser/core/app.h"
#include "browser/ui/image.h"
#include "platform/path.h"

namespace rx {
namespace {

bool pointer_inside(const SDL_Rect& box) {
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    return inside(box, x, y);
}

bool accepted_symbol(int sym) {
    return (sym >= 32 && sym <= 127) || (sym >= 160 && sym <= 255);
}

}  // namespace

searchbox::~searchbox() {
    if (rendered_) SDL_FreeSurface(rendered_);
    if (background_) SDL_FreeSurface(background_);
    if (font_) TTF_CloseFont(font_);
}

void searchbox::load_searchbox(const std::string& background_file, const std::string& font_file) {
    try {
        if (background_) SDL_FreeSurface(background_);
        background_ = load_image(background_file);
        if (font_) TTF_CloseFont(font_);
        font_ = nullptr;
        if (const auto directory = get_directory()) {
            font_ = TTF_OpenFont(platform::join_path(*directory, font_file).c_str(), 20);
        }
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - searchbox::load_searchbox");
    }
}

void searchbox::handle_events(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                set_focused(inside(box_, event.button.x, event.button.y));
            }
            break;
        case SDL_KEYDOWN: {
            const int sym = event.key.keysym.sym;
            if (focused_) {
                if (accepted_symbol(sym) && text_.size() < max_length)
                    text_ += static_cast<char>(sym);
                if (sym == SDLK_BACKSPACE && !text_.empty()) text_.pop_back();
            }
            if (sym == SDLK_RETURN) set_focused(pointer_inside(box_));
            break;
        }
        case SDL_JOYBUTTONDOWN:
            set_focused(pointer_inside(box_));
            break;
        default:
            break;
    }
}

void searchbox::show() {
    try {
        std::string copy = text_;
        if (focused_) {
            ++frame_counter_;
            if (frame_counter_ % 10 == 0) caret_visible_ = !caret_visible_;
            if (caret_visible_) copy += '|';
        }
        shown_ = copy;

        if (rendered_) SDL_FreeSurface(rendered_);
        rendered_ = nullptr;
        if (font_ && !copy.empty()) rendered_ = TTF_RenderText_Solid(font_, copy.c_str(), colour_);
        SDL_Surface* screen = SDL_GetVideoSurface();
        blit_at(box_.x, box_.y, background_, screen, &frame_);
        blit_at(box_.x + 3, box_.y, rendered_, screen);
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - searchbox::show");
    }
}

}  // namespace rx
