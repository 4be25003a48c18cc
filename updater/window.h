// rx_update's window: background, byte counter and progress bar, redrawn as the download goes.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>

namespace rx::updater {

class update_window {
  public:
    update_window() = default;
    ~update_window();
    update_window(const update_window&) = delete;
    update_window& operator=(const update_window&) = delete;

    // SDL, the 800 x 600 window, TTF, SDL_net, the background, the font and the bar; false (with
    // its line logged) on the first step that fails.
    bool init(bool fullscreen);
    // Background, counter, border and bar, then the flip; false when the flip failed.
    bool show();
    // New counter and bar position; draws at most once per display frame, and always for the last
    // byte, so a fast download is not held back by drawing. A refused frame does not stop the
    // download. Looks at one pending event: false when it asks to close the window.
    bool update_status(std::int64_t done, std::int64_t total);
    void clean_up();

    // What the last update_status set (tests read them).
    int view_x() const { return view_.x; }
    const SDL_Surface* counter() const { return counter_; }
    unsigned redraws() const { return redraws_; }
    // Tests stand in for SDL_Flip to make the display refuse a frame.
    void set_flip_for_testing(decltype(&SDL_Flip) flip) { flip_ = flip; }

  private:
    bool started_ = false;
    bool net_started_ = false;
    bool ttf_started_ = false;
    SDL_Surface* screen_ = nullptr;
    SDL_Surface* background_ = nullptr;
    SDL_Surface* border_ = nullptr;
    SDL_Surface* bar_ = nullptr;
    SDL_Surface* counter_ = nullptr;
    TTF_Font* font_ = nullptr;
    SDL_Rect view_{600, 0, 600, 40};
    Uint32 last_draw_ = 0;
    bool drawn_once_ = false;
    std::int64_t drawn_done_ = 0;
    unsigned redraws_ = 0;
    bool flip_failure_logged_ = false;
    decltype(&SDL_Flip) flip_ = SDL_Flip;
};

}  // namespace rx::updater
