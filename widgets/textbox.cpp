// The textbox: Latin-1 input up to 20 characters, Backspace, Return or Space moving the focus, and
// masking.
#include "widgets/textbox.h"

#include <utility>
#include <vector>

#include "widgets/pointer.h"

namespace rx {
namespace {

bool accepted_character(unsigned code) {
    return (code >= 33 && code <= 127) || (code >= 160 && code <= 255);
}

}  // namespace

void textbox::load_textbox(int y, const std::string& background_file,
                           const std::string& font_file) {
    box_.y = static_cast<Sint16>(y);
    load_field(background_file, font_file);
}

void textbox::type(const SDL_keysym& key) {
    if (accepted_character(key.unicode) && text_.size() < max_length) {
        text_ += static_cast<wchar_t>(key.unicode);
    }
    if (key.sym == SDLK_BACKSPACE && !text_.empty()) text_.pop_back();
}

bool textbox::moves_focus(SDLKey key) const {
    return is_press_key(key);
}

bool textbox::update_shown(bool caret) {
    std::wstring copy = masked_ ? std::wstring(text_.size(), L'*') : text_;
    if (caret) copy += L'|';
    if (copy == shown_) return false;
    shown_ = std::move(copy);
    return true;
}

SDL_Surface* textbox::render_shown() {
    if (shown_.empty()) return nullptr;
    // Latin-1 text as UCS-2 units, so characters above 127 keep their glyphs.
    std::vector<Uint16> units(shown_.begin(), shown_.end());
    units.push_back(0);
    return TTF_RenderUNICODE_Solid(font_, units.data(), colour_);
}

}  // namespace rx
