// One profile per emulator: its program, where and how it keeps its pad settings, the order of its
// controls screen's rows, and the keys rx_retro plays when a settings file says nothing.
#pragma once
#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace rx {

// A console pad's controls by their own names; every format's rows are some of these.
enum class pad_control {
    up,
    down,
    left,
    right,
    select,
    start,
    a,
    b,
    c,
    x,
    y,
    z,
    l,
    r,
    button_1,
    button_2
};

// Where an emulator keeps its pad settings: a file in (or below) the program folder, the registry,
// or nowhere the client edits.
enum class settings_store { none, file, registry };

// The program that plays an emulator's consoles on Linux.
enum class linux_player { rx_host, rx_retro };

inline constexpr std::size_t max_pad_rows = 12;

struct emulator_profile {
    std::string_view name;     // the console table's emulator column ("vba")
    std::string_view program;  // base name in the program folder ("visualboyadvance")
    linux_player player;
    settings_store store;
    std::string_view settings_folder;  // below the program folder ("plugin"), "" for the folder
    std::string_view settings_file;    // "vba.ini"; "" unless the store is a file
    int players;                       // pads the settings bind
    std::array<pad_control, max_pad_rows> rows;  // the first `row_count` are the screen's rows
    std::size_t row_count;
};

namespace profile_rows {

// The short names profiles.inc writes its rows and players in.
inline constexpr pad_control up = pad_control::up, down = pad_control::down,
                             left = pad_control::left, right = pad_control::right,
                             select = pad_control::select, start = pad_control::start,
                             a = pad_control::a, b = pad_control::b, c = pad_control::c,
                             x = pad_control::x, y = pad_control::y, z = pad_control::z,
                             l = pad_control::l, r = pad_control::r,
                             button_1 = pad_control::button_1, button_2 = pad_control::button_2;
inline constexpr linux_player rx_host = linux_player::rx_host, rx_retro = linux_player::rx_retro;

constexpr emulator_profile make_profile(std::string_view name, std::string_view program,
                                        linux_player player, settings_store store,
                                        std::string_view folder, std::string_view file, int players,
                                        std::initializer_list<pad_control> rows) {
    emulator_profile p{name, program, player, store, folder, file, players, {}, 0};
    for (pad_control control : rows) p.rows[p.row_count++] = control;
    return p;
}

#define RX_EMULATOR(name, program, player, store, folder, file, players, ...) \
    make_profile(name, program, player, store, folder, file, players, __VA_ARGS__),
inline constexpr emulator_profile table[] = {
#include "emulators/profiles.inc"
};
#undef RX_EMULATOR

}  // namespace profile_rows

inline constexpr const auto& emulator_profiles = profile_rows::table;

// Null for a name no profile has.
const emulator_profile* profile_named(std::string_view name);

// The settings file's path below the program folder ("plugin/1964Input.ini" with `separator`
// '/'); "" for a profile whose settings are no file.
std::string settings_path(const emulator_profile& profile, char separator = '/');

// The control's name on a pad and in the controls screens' prompts and label artwork ("Select").
std::string_view pad_control_name(pad_control control);

// The DirectInput key code rx_retro plays a first-pad control on when the settings bind nothing:
// the arrows, Right Shift for Select, Enter for Start, Z and X for A and B, A, S, Q and W for X, Y,
// L and R; nullopt for a control no such pad has (C, Z).
std::optional<int> default_key_code(pad_control control);

}  // namespace rx
