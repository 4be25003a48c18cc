// The game list's one-line search field: narrow text, up to 40 characters, blanks allowed.
#pragma once
#include <SDL.h>

#include <string>

#include "widgets/line_field.h"

namespace rx {

class searchbox : public line_field {
  public:
    static constexpr std::size_t max_length = 40;

    // x 100, y 568, width 520, height 24.
    searchbox() : line_field("searchbox", SDL_Rect{100, 568, 520, 24}) {}

    // Font at size 20.
    void load_searchbox(const std::string& background_file, const std::string& font_file);

    const std::string& text() const { return text_; }
    void set_text(const std::string& text) { text_ = text.substr(0, max_length); }
    const std::string& shown_text() const { return shown_; }

  private:
    void type(const SDL_keysym& key) override;
    bool moves_focus(SDLKey key) const override;
    bool update_shown(bool caret) override;
    SDL_Surface* render_shown() override;

    std::string text_;
    std::string shown_;
};

}  // namespace rx
