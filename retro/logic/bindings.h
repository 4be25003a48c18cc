// The keys and joystick inputs a game answers to: read from the settings the controls screens
// write, through the screens' own codecs, and turned into pad buttons.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulators/input_names.h"
#include "emulators/profiles.h"
#include "retro/logic/console.h"
#include "retro/logic/libretro_core.h"

namespace rx::platform {
class registry;
}

namespace rx::retro {

// Hat bits as SDL's joystick reports them.
inline constexpr unsigned hat_up = 1, hat_right = 2, hat_down = 4, hat_left = 8;
// How far an axis must be pushed (of 32767) to press its direction.
inline constexpr int axis_threshold = 16384;

// Where a binding's input comes from.
struct input_source {
    enum class kind { key, joystick_button, joystick_axis, joystick_hat };
    kind type = kind::key;
    std::vector<int> key_syms;  // every SDL key symbol the name stands for
    int joystick = 0;           // counted from 0
    int index = 0;              // button or axis
    bool positive = false;      // axis direction
    unsigned hat_bit = 0;
};

// One pad button of one port with the input its settings give it, and where that leads.
struct pad_binding {
    unsigned port = 0;
    pad_button button = pad_b;
    input id;                            // as the controls screen captured it
    std::optional<input_source> source;  // nullopt when the input cannot be played
};

// Where an input is read from; nullopt for none, a code no key reaches, or a value that names no
// input.
std::optional<input_source> source_of(const input& id);
// The keys that play a DirectInput key code; nullopt when none does.
std::optional<input_source> key_source(int code);

// The key a pad button plays when its settings say nothing (the first pad only).
input default_key(pad_button button);

// The bindings of each settings format. A settings file that is missing, unreadable or lacks a
// binding leaves those buttons at the player's defaults (the same first pad on every console).
std::vector<pad_binding> vba_bindings(std::optional<std::string_view> vba_ini);
std::vector<pad_binding> zsnes_bindings(std::optional<std::string_view> zinput_cfg);
std::vector<pad_binding> ootake_bindings(std::optional<std::string_view> ootake_dat);
// Gens' two pads of eleven rows (gens.cfg) and MEKA's keyboard and joystick for each of two players
// (meka.inp); both feed the Sega core, which takes a Genesis pad's A, B, C as the pad's B, A, R,
// its X, Y, Z as Y, X, L, and a Master System pad's buttons 1 and 2 as A and R.
std::vector<pad_binding> gens_bindings(std::optional<std::string_view> gens_cfg);
std::vector<pad_binding> meka_bindings(std::optional<std::string_view> meka_inp);
// nester keeps its keys in the registry; a button without a key plays nester's own default.
// Nothing is written.
std::vector<pad_binding> nester_bindings(platform::registry& store, std::string_view keyboard_guid);
// The bindings of an emulator whose settings are a file, from the file's bytes (nullopt when it is
// missing or unreadable); none for an emulator rx_retro does not stand in for.
std::vector<pad_binding> file_bindings(const emulator_profile& emulator,
                                       std::optional<std::string_view> bytes);

// The libretro pad button of a pad control; nullopt for one the libretro pad lacks (C, Z).
std::optional<pad_button> libretro_button(pad_control control);

// The state of the inputs, asked by the pad mapping once per frame.
struct input_reader {
    std::function<bool(int sym)> key;
    std::function<bool(int joystick, int button)> button;
    std::function<int(int joystick, int axis)> axis;  // -32768 to 32767
    std::function<unsigned(int joystick)> hat;        // hat bits of the joystick's first hat
};

// The pressed buttons of each port.
struct pad_state {
    std::uint16_t mask[core::port_count] = {0, 0};
};
pad_state read_pads(const std::vector<pad_binding>& bindings, const input_reader& reader);

// The log lines for bindings that lead nowhere, one per binding ("" names are left out: a button
// nobody bound is not a fault).
std::vector<std::string> unplayable_bindings(const std::vector<pad_binding>& bindings,
                                             std::string_view console_name);

}  // namespace rx::retro
