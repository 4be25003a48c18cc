// The searchbox: key symbols (so lower-case letters and blanks) up to 40 characters; only Return
// moves the focus, since Space is text here.
#include "widgets/searchbox.h"

#include <utility>

namespace rx {
namespace {

bool accepted_symbol(int sym) {
    return (sym >= 32 && sym <= 127) || (sym >= 160 && sym <= 255);
}

}  // namespace

void searchbox::load_searchbox(const std::string& background_file, const std::string& font_file) {
    load_field(background_file, font_file);
}

void searchbox::type(const SDL_keysym& key) {
    const int sym = key.sym;
    if (accepted_symbol(sym) && text_.size() < max_length) text_ += static_cast<char>(sym);
    if (sym == SDLK_BACKSPACE && !text_.empty()) text_.pop_back();
}

bool searchbox::moves_focus(SDLKey key) const {
    return key == SDLK_RETURN;
}

bool searchbox::update_shown(bool caret) {
    std::string copy = text_;
    if (caret) copy += '|';
    if (copy == shown_) return false;
    shown_ = std::move(copy);
    return true;
}

SDL_Surface* searchbox::render_shown() {
    return shown_.empty() ? nullptr : TTF_RenderText_Solid(font_, shown_.c_str(), colour_);
}

}  // namespace rx
