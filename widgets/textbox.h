// The login screen's one-line wide text field with a blinking caret and optional masking.
#pragma once
#include <SDL.h>

#include <string>

#include "widgets/line_field.h"

namespace rx {

class textbox : public line_field {
  public:
    static constexpr std::size_t max_length = 20;

    // x 340, width 260, height 24.
    textbox() : line_field("textbox", SDL_Rect{340, 0, 260, 24}) {}

    // The font is opened from the program folder at size 20.
    void load_textbox(int y, const std::string& background_file, const std::string& font_file);

    const std::wstring& text() const { return text_; }
    void set_text(const std::wstring& text) { text_ = text.substr(0, max_length); }
    void set_masked(bool value) { masked_ = value; }
    bool masked() const { return masked_; }
    // What the last show rendered: the text (or its asterisks) and the caret when visible.
    const std::wstring& shown_text() const { return shown_; }

  private:
    void type(const SDL_keysym& key) override;
    bool moves_focus(SDLKey key) const override;
    bool update_shown(bool caret) override;
    SDL_Surface* render_shown() override;

    std::wstring text_;
    std::wstring shown_;
    bool masked_ = false;
};

}  // namespace rx
