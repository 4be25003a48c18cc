// The timed message line: rendered once per message, drawn and counted down once per frame.
#include "widgets/display_message.h"

#include <exception>

#include "common/guard.h"
#include "platform/path.h"
#include "widgets/image.h"

namespace rx {

display_message::display_message(const std::string& font_file, int size, Uint8 red, Uint8 green,
                                 Uint8 blue) {
    run_logged("display_message", "display_message", [&] {
        colour_ = SDL_Color{red, green, blue, 0};
        if (auto dir = get_directory()) {
            font_ = TTF_OpenFont(platform::join_path(*dir, font_file).c_str(), size);
        }
    });
}

display_message::~display_message() {
    if (text_surface_ != nullptr) SDL_FreeSurface(text_surface_);
    if (font_ != nullptr) TTF_CloseFont(font_);
}

void display_message::set_message(int seconds, const std::string& text) {
    x_ = 0;
    y_ = 0;
    frame_counter_ = 0;
    hidden_ = false;
    duration_ = seconds;
    text_ = text;
    // The previous line's surface goes with it instead of leaking at every message.
    if (text_surface_ != nullptr) {
        SDL_FreeSurface(text_surface_);
        text_surface_ = nullptr;
    }
    if (font_ != nullptr && !text.empty()) {
        text_surface_ = TTF_RenderText_Solid(font_, text.c_str(), colour_);
    }
}

void display_message::show() {
    run_logged("display_message", "show", [&] {
        if (hidden_) return;
        blit_at(x_, y_, text_surface_, SDL_GetVideoSurface());
        if (duration_ < frame_counter_ / 60) {
            hidden_ = true;
        } else {
            ++frame_counter_;
        }
    });
}

}  // namespace rx
