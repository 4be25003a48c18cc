// The login screen's one-line wide text field with a blinking caret and optional masking.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

namespace rx {

class textbox {
  public:
    static constexpr std::size_t max_length = 20;

    textbox() = default;
    textbox(const textbox&) = delete;
    textbox& operator=(const textbox&) = delete;
    ~textbox();

    // x 340, width 260, height 24; the font is opened from the program folder at size 20.
    void load_textbox(int y, const std::string& background_file, const std::string& font_file);
    void show();
    void handle_events(const SDL_Event& event);

    const std::wstring& text() const { return text_; }
    void set_text(const std::wstring& text) { text_ = text.substr(0, max_length); }
    bool focused() const { return focused_; }
    // Focus given by the screen (Tab) shows the caret at once.
    void set_focused(bool value) { focused_ = caret_visible_ = value; }
    bool caret_visible() const { return caret_visible_; }
    void set_masked(bool value) { masked_ = value; }
    bool masked() const { return masked_; }
    const SDL_Rect& box() const { return box_; }
    // What the last show rendered: the text (or its asterisks) and the caret when visible.
    const std::wstring& shown_text() const { return shown_; }

  private:
    SDL_Rect box_{340, 0, 260, 24};
    SDL_Rect frame_{0, 0, 260, 24};
    SDL_Surface* background_ = nullptr;
    SDL_Surface* rendered_ = nullptr;
    TTF_Font* font_ = nullptr;
    SDL_Color colour_{0, 0, 0, 0};
    std::wstring text_;
    std::wstring shown_;
    bool focused_ = false;
    bool caret_visible_ = false;
    int frame_counter_ = 0;
    bool masked_ = false;
};

}  // namespace rx
