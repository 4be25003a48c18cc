// Screen 2: the main menu, a grid of twenty 150 x 150 buttons.
#pragma once
#include <array>
#include <string>

#include "browser/base/screen.h"
#include "widgets/button.h"

namespace rx {

class rx_main_input : public screen {
  public:
    // Slots in drawing and event order; the consoles' buttons take slots 1 to 12, as the console
    // table's menu slots say.
    enum slot : int {
        slot_free = 0,
        slot_all = 13,
        slot_facebook = 14,
        slot_controls = 15,
        slot_fullscreen = 16,
        slot_news = 17,
        slot_change_user = 18,
        slot_exit = 19,
        slot_count = 20,
    };

    void init() override;
    void show() override;
    void handle_events(const SDL_Event& event) override;
    void reset() override;

    // Full-account artwork (with the news button) and the restricted one (with the upgrade button).
    void set_buttons();
    void set_guest_buttons();

    button& at(int slot_index) { return buttons_[static_cast<std::size_t>(slot_index)]; }
    // The artwork file each slot was last loaded with.
    const std::string& artwork(int slot_index) const {
        return artwork_[static_cast<std::size_t>(slot_index)];
    }
    // System number a slot opens; -1 for the slots that are not consoles.
    static int system_of(int slot_index);

  private:
    void load_all(bool restricted);

    std::array<button, slot_count> buttons_;
    std::array<std::string, slot_count> artwork_;
};

}  // namespace rx
