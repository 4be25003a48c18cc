// The console table: every number, name and artwork the client keeps per console, and the emulator
// that plays it, so that a console on an emulator already profiled is one row here plus its
// artwork.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

namespace rx {

struct console_row {
    std::string_view code;          // system code of catalogue rows and requests ("GEN")
    int system;                     // system number the main menu opens and user_info keeps (7)
    int screen;                     // current_screen of its controls screen (13)
    int menu_slot;                  // the main menu's button order
    int menu_cell;                  // place in the main menu's 5 x 4 grid, row by row
    int controls_slot;              // button order on the controls menu
    std::string_view scheme;        // start of the launch argument ("rxgen://")
    std::string_view display_name;  // name in the status message ("Sega Genesis")
    std::string_view list_title;    // game list title ("Genesis")
    std::string_view menu_artwork;  // main menu button of a full account
    std::string_view menu_guest_artwork;  // and of a restricted one
    std::string_view controls_artwork;    // controls menu button
    std::string_view controls_widget;     // the controls menu button's name in its layout
    std::string_view emulator;            // its profile's name (profiles.inc), which also picks
                                          // the settings screen
    std::string_view screen_class;        // class in "Unknown Exception - <class>::<op>" lines
    std::string_view screen_title;        // "Genesis Controls:"
    std::string_view information_image;   // settings screen's information image, "" for none
    std::string_view events_wrapper;      // names of the dispatch wrappers in exception lines
    std::string_view show_wrapper;
    std::string_view sample_prefix;  // the stand-in service's sample game ids and files
    std::string_view sample_extension;
    int sample_min_kib;
    int sample_max_kib;
    std::string_view core;  // libretro core file rx_retro plays it on; "" for none
};

#define RX_CONSOLE(...) console_row{__VA_ARGS__},
inline constexpr console_row console_table[] = {
#include "emulators/consoles.inc"
};
#undef RX_CONSOLE

inline constexpr std::size_t console_count = sizeof(console_table) / sizeof(console_table[0]);

// Lookups by each numbering; null when no console has it.
inline constexpr const console_row* console_by_code(std::string_view code) {
    for (const auto& row : console_table)
        if (row.code == code) return &row;
    return nullptr;
}
inline constexpr const console_row* console_by_system(int number) {
    for (const auto& row : console_table)
        if (row.system == number) return &row;
    return nullptr;
}
inline constexpr const console_row* console_by_screen(int number) {
    for (const auto& row : console_table)
        if (row.screen == number) return &row;
    return nullptr;
}
inline constexpr const console_row* console_by_menu_slot(int slot) {
    for (const auto& row : console_table)
        if (row.menu_slot == slot) return &row;
    return nullptr;
}
inline constexpr const console_row* console_by_controls_slot(int slot) {
    for (const auto& row : console_table)
        if (row.controls_slot == slot) return &row;
    return nullptr;
}

// The screen number of a system code's controls screen; 0 for a code no console has.
inline constexpr int console_screen_of(std::string_view code) {
    const console_row* row = console_by_code(code);
    return row != nullptr ? row->screen : 0;
}

}  // namespace rx
