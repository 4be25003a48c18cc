// The textbox: Latin-1 input up to 20 characters, Backspace, pointer-driven focus and the 10-frame
// caret blink.
#include "browser/ui/textbox.h"

#include <exception>
#include <vector>

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

bool accepted_character(unsigned code) {
    return (code >= 33 && code <= 127) || (code >= 160 && code <= 255);
}

}  // namespace

textbox::~textbox() {
    if (rendered_) SDL_FreeSurface(rendered_);
    if (background_) SDL_FreeSurface(background_);
    if (font_) TTF_CloseFont(font_);
}

void textbox::load_textbox(int y, const std::string& background_file,
                           const std::string& font_file) {
    try {
        box_ = SDL_Rect{340, static_cast<Sint16>(y), 260, 24};
        frame_ = SDL_Rect{0, 0, 260, 24};
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
        log_error("Unknown Exception - textbox::load_textbox");
    }
}

void textbox::handle_events(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                set_focused(inside(box_, event.button.x, event.button.y));
            }
            break;
        case SDL_KEYDOWN: {
            const SDL_keysym& key = event.key.keysym;
            if (focused_) {
                if (accepted_character(key.unicode) && text_.size() < max_length) {
                    text_ += static_cast<wchar_t>(key.unicode);
                }
                if (key.sym == SDLK_BACKSPACE && !text_.empty()) text_.pop_back();
            }
            if (key.sym == SDLK_RETURN || key.sym == SDLK_SPACE) set_focused(pointer_inside(box_));
            break;
        }
        case SDL_JOYBUTTONDOWN:
            set_focused(pointer_inside(box_));
            break;
        default:
            break;
    }
}

void textbox::show() {
    try {
        std::wstring copy = text_;
        if (masked_) copy.assign(copy.size(), L'*');
        if (focused_) {
            ++frame_counter_;
            if (frame_counter_ % 10 == 0) caret_visible_ = !caret_visible_;
            if (caret_visible_) copy += L'|';
        }
        shown_ = copy;

        if (rendered_) SDL_FreeSurface(rendered_);
        rendered_ = nullptr;
        if (font_ && !copy.empty()) {
            std::vector<Uint16> units(copy.begin(), copy.end());
            units.push_back(0);
            rendered_ = TTF_RenderUNICODE_Solid(font_, units.data(), colour_);
        }
        SDL_Surface* screen = SDL_GetVideoSurface();
        blit_at(box_.x, box_.y, background_, screen, &frame_);
        blit_at(box_.x + 3, box_.y, rendered_, screen);
    } catch (const std::exception& e) {
        log_error(e.what());
    } catch (...) {
        log_error("Unknown Exception - textbox::show");
    }
}

}  // namespace rx
