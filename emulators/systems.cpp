// The console table's views shared by the game list, play and the controls screens.
#include "emulators/systems.h"

#include <algorithm>

#include "emulators/profiles.h"

namespace rx {

const std::array<emulator_entry, console_count> emulator_table = [] {
    std::array<emulator_entry, console_count> table{};
    for (std::size_t i = 0; i < console_count; ++i) {
        const console_row& row = console_table[i];
        table[i] = {row.code, profile_named(row.emulator)->program, row.scheme, row.display_name};
    }
    return table;
}();

const emulator_entry* find_emulator(std::string_view system_code) {
    for (const auto& entry : emulator_table) {
        if (entry.system_code == system_code) return &entry;
    }
    return nullptr;
}

const std::array<system_entry, console_count + 2> system_table = [] {
    std::array<system_entry, console_count + 2> table{};
    table.front() = {system_all, "All Systems", "ALL", controls_menu_screen};
    for (std::size_t i = 0; i < console_count; ++i) {
        const console_row& row = console_table[i];
        table[i + 1] = {row.system, row.list_title, row.code, row.screen};
    }
    std::sort(table.begin() + 1, table.end() - 1,
              [](const system_entry& a, const system_entry& b) { return a.number < b.number; });
    table.back() = {system_free, "Free Sampler", "ALL", controls_menu_screen};
    return table;
}();

const system_entry* find_system(int number) {
    for (const auto& entry : system_table) {
        if (entry.number == number) return &entry;
    }
    return nullptr;
}

int controls_screen_for_system(int number) {
    const system_entry* entry = find_system(number);
    return entry ? entry->controls_screen : controls_menu_screen;
}

}  // namespace rx
