// The main menu: twenty image buttons whose artwork follows the account kind.
#include "browser/screens/rx_main_input.h"

#include <exception>

#include "browser/core/app.h"

namespace rx {
namespace {

struct slot_entry {
    int x;
    int y;
    const char* full;
    const char* restricted;
    int system;
};

// N64 opens 12 and PC Engine 11 although their buttons stand in the other order.
constexpr slot_entry slot_table[rx_main_input::slot_count] = {
    {5, 0, "button_free.png", "button_free.png", 1000},
    {165, 0, "button_atari2600.png", "button_atari2600_guest.png", 1},
    {325, 0, "button_coleco.png", "button_coleco_guest.png", 2},
    {485, 0, "button_gameboy.png", "button_gameboy_guest.png", 3},
    {645, 0, "button_gameboycolor.png", "button_gameboycolor_guest.png", 4},
    {5, 150, "button_gameboyadvance.png", "button_gameboyadvance_guest.png", 5},
    {165, 150, "button_gamegear.png", "button_gamegear_guest.png", 6},
    {325, 150, "button_genesis.png", "button_genesis_guest.png", 7},
    {485, 150, "button_nes.png", "button_nes_guest.png", 8},
    {5, 300, "button_sms.png", "button_sms_guest.png", 9},
    {165, 300, "button_snes.png", "button_snes_guest.png", 10},
    {645, 150, "button_n64.png", "button_n64_guest.png", 12},
    {325, 300, "button_pce.png", "button_pce_guest.png", 11},
    {485, 300, "button_all.png", "button_all_guest.png", 0},
    {645, 300, "button_facebook.png", "button_facebook.png", -1},
    {5, 450, "button_controls.png", "button_controls.png", -1},
    {165, 450, "button_fullscreen.png", "button_fullscreen.png", -1},
    {325, 450, "button_news.png", "button_upgrade.png", -1},
    {485, 450, "button_changeuser.png", "button_changeuser.png", -1},
    {645, 450, "button_exit.png", "button_exit.png", -1},
};

}  // namespace

int rx_main_input::system_of(int slot_index) {
    if (slot_index < 0 || slot_index >= slot_count) return -1;
    return slot_table[slot_index].system;
}

void rx_main_input::load_all(bool restricted) {
    for (int i = 0; i < slot_count; ++i) {
        const slot_entry& entry = slot_table[i];
        artwork_[static_cast<std::size_t>(i)] = restricted ? entry.restricted : entry.full;
        at(i).load_button(entry.x, entry.y, 150, artwork_[static_cast<std::size_t>(i)], 150);
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
