// The switch from current_screen to the screen objects and their wrappers.
#include <array>
#include <stdexcept>

#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/screens.h"
#include "browser/base/program.h"
#include "browser/controls/settings_screens.h"

namespace rx {

namespace {

struct screen_entry {
    void (*events)(SDL_Event);
    void (*show)();
};

// The screens that are not consoles; a null entry is a console's number.
const std::array<screen_entry, screen_last> dispatch_table = [] {
    std::array<screen_entry, screen_last> table{};
    table[screen_login - 1] = {handle_login_events, login_show};
    table[screen_main - 1] = {handle_main_events, main_show};
    table[screen_news - 1] = {handle_news_events, news_show};
    table[screen_game_list - 1] = {handle_system_events, system_show};
    table[screen_game_info - 1] = {handle_game_info_events, game_info_show};
    table[screen_controls - 1] = {handle_controls_events, controls_show};
    table[screen_facebook - 1] = {handle_facebook_events, facebook_show};
    return table;
}();

const screen_entry* entry(int number) {
    if (number < 1 || number > static_cast<int>(dispatch_table.size())) return nullptr;
    const screen_entry& e = dispatch_table[static_cast<std::size_t>(number - 1)];
    return e.events != nullptr ? &e : nullptr;
}

int console_index(int number) {
    for (std::size_t i = 0; i < console_count; ++i)
        if (console_table[i].screen == number) return static_cast<int>(i);
    return -1;
}

}  // namespace

screen_set::screen_set() {
    // Screens call back into the program only through this; it is in place before any is made.
    installed_program = &app::services();
    for (std::size_t i = 0; i < console_count; ++i) {
        consoles_[i] = make_console_screen(console_table[i]);
        if (!consoles_[i]) {
            throw std::logic_error("no settings screen " + std::string(console_table[i].emulator));
        }
    }
}

screen_set& screens() {
    static screen_set* const set = new screen_set;
    return *set;
}

screen* screen_set::by_number(int number) {
    switch (number) {
        case screen_login:
            return &login;
        case screen_main:
            return &main_menu;
        case screen_news:
            return &news;
        case screen_game_list:
            return &game_list;
        case screen_game_info:
            return &game_info;
        case screen_controls:
            return &controls;
        case screen_facebook:
            return &facebook;
        default:
            return console(number);
    }
}

console_screen* screen_set::console(int number) {
    const int index = console_index(number);
    return index < 0 ? nullptr : consoles_[static_cast<std::size_t>(index)].get();
}

console_screen& screen_set::of(std::string_view code) {
    const console_row* row = console_by_code(code);
    if (row == nullptr) throw std::out_of_range("no console " + std::string(code));
    return *console(row->screen);
}

void dispatch_events(int screen_number, const SDL_Event& event) {
    if (const screen_entry* e = entry(screen_number)) {
        e->events(event);
    } else if (const console_row* row = console_by_screen(screen_number)) {
        handle_console_events(*row, event);
    }
}

void dispatch_show(int screen_number) {
    if (const screen_entry* e = entry(screen_number)) {
        e->show();
    } else if (const console_row* row = console_by_screen(screen_number)) {
        console_show(*row);
    }
}

}  // namespace rx
