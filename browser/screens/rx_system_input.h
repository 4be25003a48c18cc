// Screen 4: the game list of one system, with its letter filters, search box and pages.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <array>
#include <string>
#include <vector>

#include "browser/base/logic/user_info.h"
#include "browser/base/screen.h"
#include "browser/screens/logic/game_list.h"
#include "widgets/button.h"
#include "widgets/searchbox.h"

namespace rx {

class rx_system_input : public screen {
  public:
    // The letter and range filters in button order: 0-9, A-B ... Y-Z, all, random.
    static constexpr int letter_filter_count = 14;
    static constexpr int filter_count = letter_filter_count + 2;
    static const std::array<const char*, filter_count>& filter_texts();
    // Rows kept drawn: the list is drawn row by row into a ring of this many 25 px slots instead of
    // one surface for the whole list, which for long lists would be hundreds of MB and pass SDL's
    // 16-bit coordinates.
    static constexpr int ring_rows = 32;

    rx_system_input() { ring_slots_.fill(-1); }
    rx_system_input(const rx_system_input&) = delete;
    rx_system_input& operator=(const rx_system_input&) = delete;
    ~rx_system_input() override;

    void init() override;
    void show() override;
    void handle_events(const SDL_Event& event) override;
    void reset() override;

    // A copy of the program's user_info: with a title when a system is opened, without on a new
    // filter.
    void set_user_info(const user_info& info, const std::string& title);
    void set_user_info(const user_info& info);
    // Fetches the list for the user_info last handed over.
    void load_list();
    std::string get_list();
    bool parse_list(const std::string& reply);
    void display_loading();

    // The row under the pointer: its left end plays, the rest opens its information.
    void select_row();
    // Starts the selected game (refusing rows that cannot be played) and returns when it ends.
    void play();
    void display_unavailable();
    void display_full_only();

    // Scrolling by the up and down buttons (half a view) and the wheel (one row).
    void page_up();
    void page_down();
    void wheel_up();
    void wheel_down();

    int scroll_offset() const { return scroll_offset_; }
    const std::vector<catalogue::game_row>& rows() const { return rows_; }
    const catalogue::game_row& selected_game() const { return selected_game_; }
    bool row_clicked() const { return row_clicked_; }
    int system_number() const { return info_.last_system; }
    const std::string& system_title() const { return system_title_; }
    const std::string& system_code() const { return system_code_; }
    const std::wstring& user_name() const { return info_.user_name; }
    const std::wstring& password() const { return info_.password; }
    // The all-systems list has no show-all button; only restricted accounts see the upgrade button.
    bool all_button_active() const { return info_.last_system != catalogue::all_systems; }
    bool upgrade_button_active() const { return info_.account_kind == 1; }

    button& home_button() { return home_; }
    button& controls_button() { return controls_; }
    button& up_button() { return up_; }
    button& down_button() { return down_; }
    button& filter_button(int i) { return filters_[i]; }
    button& search_button() { return search_; }
    button& upgrade_button() { return upgrade_; }
    searchbox& search_box() { return search_box_; }
    // The name filter of the first clicked filter button, or null.
    const char* clicked_filter() const;

    // The surface the rows are drawn into before they reach the window.
    const SDL_Surface* row_ring() const { return ring_; }

  private:
    void free_row_artwork();
    void render_row(int row);
    void forget_drawn_rows();
    void show_refusal(int availability, const char* operation);

    user_info info_;
    std::string system_title_ = "All Systems";
    std::string system_code_ = "ALL";
    SDL_Surface* title_surface_ = nullptr;
    std::vector<catalogue::game_row> rows_;
    catalogue::game_row selected_game_;
    bool row_clicked_ = false;
    int scroll_offset_ = 0;

    // Row r is drawn in slot r % ring_rows exactly as it would sit on a surface of the whole list;
    // ring_slots_ names the row each slot holds (-1: none).
    SDL_Surface* ring_ = nullptr;
    std::array<int, ring_rows> ring_slots_{};
    // list_bar_odd, list_bar_even, list_bar_unavailable, list_button_odd, _even, _unavailable
    std::array<SDL_Surface*, 6> row_art_{};

    TTF_Font* font_16_ = nullptr;
    TTF_Font* font_20_ = nullptr;
    SDL_Color text_colour_{255, 255, 255, 0};

    button home_;
    button controls_;
    button up_;
    button down_;
    std::array<button, filter_count> filters_;
    button search_;
    button upgrade_;
    searchbox search_box_;
};

}  // namespace rx
