// The one timed line of text drawn over every screen at the window's top left corner.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

namespace rx {

class display_message {
  public:
    display_message(const std::string& font_file, int size, Uint8 red, Uint8 green, Uint8 blue);
    display_message(const display_message&) = delete;
    display_message& operator=(const display_message&) = delete;
    ~display_message();

    void set_message(int seconds, const std::string& text);
    void show();

    bool hidden() const { return hidden_; }
    int frame_counter() const { return frame_counter_; }
    const std::string& text() const { return text_; }

  private:
    SDL_Surface* text_surface_ = nullptr;
    int x_ = 0;
    int y_ = 0;
    int duration_ = 0;
    int frame_counter_ = 0;
    TTF_Font* font_ = nullptr;
    SDL_Color colour_{0, 0, 0, 0};
    bool hidden_ = true;
    std::string text_;
};

}  // namespace rx
