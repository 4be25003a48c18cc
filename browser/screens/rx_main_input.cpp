// The main menu: twenty image buttons whose artwork follows the account kind.
#include "browser/screens/rx_main_input.h"

#include <exception>

#include "common/guard.h"
#include "emulators/systems.h"

namespace rx {
namespace {

struct slot_entry {
    int cell;  // place in the 5 x 4 grid of 150 px buttons, row by row
    std::string full;
    std::string restricted;
    int system;
};

slot_entry fixed_slot(int cell, const char* full, const char* restricted, int system = -1) {
    return {cell, full, restricted, system};
}

// The buttons that are not consoles stand in the cell of their slot.
const std::array<slot_entry, rx_main_input::slot_count>& slot_table() {
    static const std::array<slot_entry, rx_main_input::slot_count> table = [] {
        std::array<slot_entry, rx_main_input::slot_count> t{};
        t[rx_main_input::slot_free] =
            fixed_slot(rx_main_input::slot_free, "button_free.png", "button_free.png", system_free);
        for (const console_row& row : console_table) {
            t[row.menu_slot] = {row.menu_cell, std::string(row.menu_artwork),
                                std::string(row.menu_guest_artwork), row.system};
        }
        t[rx_main_input::slot_all] = fixed_slot(rx_main_input::slot_all, "button_all.png",
                                                "button_all_guest.png", system_all);
        t[rx_main_input::slot_facebook] =
            fixed_slot(rx_main_input::slot_facebook, "button_facebook.png", "button_facebook.png");
        t[rx_main_input::slot_controls] =
            fixed_slot(rx_main_input::slot_controls, "button_controls.png", "button_controls.png");
        t[rx_main_input::slot_fullscreen] = fixed_slot(
            rx_main_input::slot_fullscreen, "button_fullscreen.png", "button_fullscreen.png");
        t[rx_main_input::slot_news] =
            fixed_slot(rx_main_input::slot_news, "button_news.png", "button_upgrade.png");
        t[rx_main_input::slot_change_user] = fixed_slot(
            rx_main_input::slot_change_user, "button_changeuser.png", "button_changeuser.png");
        t[rx_main_input::slot_exit] =
            fixed_slot(rx_main_input::slot_exit, "button_exit.png", "button_exit.png");
        return t;
    }();
    return table;
}

}  // namespace

int rx_main_input::system_of(int slot_index) {
    if (slot_index < 0 || slot_index >= slot_count) return -1;
    return slot_table()[static_cast<std::size_t>(slot_index)].system;
}

void rx_main_input::load_all(bool restricted) {
    for (int i = 0; i < slot_count; ++i) {
        const slot_entry& entry = slot_table()[static_cast<std::size_t>(i)];
        artwork_[static_cast<std::size_t>(i)] = restricted ? entry.restricted : entry.full;
        at(i).load_button(5 + 160 * (entry.cell % 5), 150 * (entry.cell / 5), 150,
                          artwork_[static_cast<std::size_t>(i)], 150);
    }
}

void rx_main_input::init() {
    run_logged("rx_main_input", "init", [&] { load_all(false); });
}

void rx_main_input::set_buttons() {
    run_logged("rx_main_input", "set_buttons", [&] { load_all(false); });
}

void rx_main_input::set_guest_buttons() {
    run_logged("rx_main_input", "set_guest_buttons", [&] { load_all(true); });
}

void rx_main_input::show() {
    run_logged("rx_main_input", "show", [&] {
        for (auto& b : buttons_) b.show();
    });
}

void rx_main_input::handle_events(const SDL_Event& event) {
    for (auto& b : buttons_) b.handle_events(event);
}

void rx_main_input::reset() {
    for (auto& b : buttons_) b.reset();
}

}  // namespace rx
