// Screen 3: the news screen, a page of headings and wrapped text from the web host.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include "browser/base/screen.h"
#include "widgets/button.h"

namespace rx {

class rx_news_input : public screen {
  public:
    rx_news_input() = default;
    rx_news_input(const rx_news_input&) = delete;
    rx_news_input& operator=(const rx_news_input&) = delete;
    ~rx_news_input() override;

    void init() override;
    void show() override;
    void handle_events(const SDL_Event& event) override { home_.handle_events(event); }
    void reset() override { clear_buttons(); }

    // Called by clear_controls on every change of screen: the stand-alone buttons lose their click,
    // selection and highlight (their current frame returns to the normal frame).
    void clear_buttons() { home_.reset(); }

    // Fetches the news and draws it on a fresh copy of the page picture; false when the exchange
    // fails (the page keeps what it showed).
    bool get_news();

    button& home_button() { return home_; }
    SDL_Surface* page() const { return page_; }

  private:
    SDL_Surface* blank_page_ = nullptr;  // the picture as loaded, never drawn on
    SDL_Surface* page_ = nullptr;        // what show() blits
    TTF_Font* font_ = nullptr;
    SDL_Color text_colour_{255, 255, 255, 0};
    button home_;
};

}  // namespace rx
