// Screen 6: the controls menu, one button per console and Home.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <array>
#include <vector>

#include "browser/base/screen.h"
#include "emulators/consoles.h"
#include "widgets/button.h"

namespace rx {

class rx_controls_input : public screen {
  public:
    static constexpr int console_count = static_cast<int>(rx::console_count);

    rx_controls_input() = default;
    rx_controls_input(const rx_controls_input&) = delete;
    rx_controls_input& operator=(const rx_controls_input&) = delete;
    ~rx_controls_input() override;

    void init() override;
    void show() override;
    void handle_events(const SDL_Event& event) override;
    void reset() override;

    button& home_button() { return home_; }
    button& console_button(int index) { return consoles_.at(index); }
    // The screen number each console button opens, in button order.
    static const std::array<int, console_count>& console_screens();
    // Home first, then the twelve console buttons.
    static const std::vector<widget_place>& layout();

  private:
    TTF_Font* font_ = nullptr;
    SDL_Surface* title_surface_ = nullptr;
    button home_;
    std::array<button, console_count> consoles_;
};

}  // namespace rx
