// Screen 5: the game info screen with the game's title and up to two screenshots.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <array>
#include <string>

#include "browser/base/screen.h"
#include "browser/screens/logic/game_info.h"
#include "browser/screens/logic/game_list.h"
#include "widgets/button.h"

namespace rx {

class rx_game_info_input : public screen {
  public:
    rx_game_info_input() = default;
    rx_game_info_input(const rx_game_info_input&) = delete;
    rx_game_info_input& operator=(const rx_game_info_input&) = delete;
    ~rx_game_info_input() override;

    void init() override;
    void show() override;
    void handle_events(const SDL_Event& event) override;
    void reset() override { clear_buttons(); }

    // Called by clear_controls on every change of screen: the stand-alone buttons lose their click,
    // selection and highlight (their current frame returns to the normal frame).
    void clear_buttons();

    // Shows `game`: its title, then its information and screenshots from the catalogue host.
    void load_game(catalogue::game_row game);
    bool get_info();
    void parse_info(const std::string& reply);
    bool get_screenshot(const std::string& name, int slot);
    void display_loading_info();

    const std::string& title() const { return title_; }
    const std::string& game_id() const { return game_id_; }
    const std::string& system_code() const { return system_code_; }
    const catalogue::screenshot_names& screenshot_names() const { return names_; }
    // Slot 1..4; null when the slot holds no picture.
    SDL_Surface* screenshot(int slot) const {
        return screenshots_[static_cast<std::size_t>(slot - 1)];
    }

    button& home_button() { return home_; }
    button& back_button() { return back_; }
    button& play_button() { return play_; }

  private:
    void clear_screenshots();

    std::string title_;
    std::string system_code_;
    std::string game_id_;
    int availability_ = 0;
    SDL_Surface* title_surface_ = nullptr;
    TTF_Font* font_ = nullptr;
    SDL_Color text_colour_{255, 255, 255, 0};
    catalogue::screenshot_names names_;
    std::array<SDL_Surface*, catalogue::screenshot_slots> screenshots_{};
    button home_;
    button back_;
    button play_;
};

}  // namespace rx
