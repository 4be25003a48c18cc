// The game list's one-line search field: narrow text, up to 40 characters, blanks allowed.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

namespace rx {

class searchbox {
  public:
    static constexpr std::size_t max_length = 40;

    searchbox() = default;
    searchbox(const searchbox&) = delete;
    searchbox& operator=(const searchbox&) = delete;
    ~searchbox();

    // x 100, y 568, width 520, height 24; font at size 20.
    void load_searchbox(const std::string& background_file, const std::string& font_file);
    void show();
    void handle_events(const SDL_Event& event);

    const std::string& text() const { return text_; }
    void set_text(const std::string& text) { text_ = text.substr(0, max_length); }
    bool focused() const { return focused_; }
    void set_focused(bool value) { focused_ = caret_visible_ = value; }
    bool caret_visible() const { return caret_visible_; }
    const SDL_Rect& box() const { return box_; }
    const std::string& shown_text() const { return shown_; }

  private:
    SDL_Rect box_{100, 568, 520, 24};
    SDL_Rect frame_{0, 0, 520, 24};
    SDL_Surface* background_ = nullptr;
    SDL_Surface* rendered_ = nullptr;
    TTF_Font* font_ = nullptr;
    SDL_Color colour_{0, 0, 0, 0};
    std::string text_;
    std::string shown_;
    bool focused_ = false;
    bool caret_visible_ = false;
    int frame_counter_ = 0;
};

}  // namespace rx
