// Settings to pad buttons: each format's codec gives the inputs, the inputs give what to read.
#include "retro/logic/bindings.h"

#include <array>

#include "emulators/binding_codec.h"
#include "emulators/gens_settings.h"
#include "emulators/meka_settings.h"
#include "emulators/nester_settings.h"
#include "emulators/ootake_settings.h"
#include "emulators/sdl_keys.h"
#include "emulators/vba_settings.h"
#include "emulators/zsnes_settings.h"

namespace rx::retro {

namespace {

// A box saved empty is written as 0, which is no key: such a binding plays nothing, and is no
// input that could not be played either.
pad_binding bound(unsigned port, pad_button button, input id) {
    if (id.type == input::kind::key && id.index == 0) id = input{};
    pad_binding b;
    b.port = port;
    b.button = button;
    b.id = id;
    b.source = source_of(b.id);
    return b;
}

// The pad button of an emulator's screen row `row`; rows of a control the libretro pad lacks
// play nothing (none of the emulators rx_retro stands in for has one).
pad_button row_button(const emulator_profile& emulator, std::size_t row) {
    return libretro_button(emulator.rows[row]).value_or(pad_b);
}

const emulator_profile& profile(std::string_view name) {
    return *profile_named(name);
}

constexpr std::array<pad_button, gens::row_count> gens_buttons = {
    pad_up, pad_down, pad_left, pad_right, pad_start, pad_b, pad_a, pad_r, pad_y, pad_x, pad_l};
constexpr std::array<pad_button, meka::control_count> meka_buttons = {
    pad_up, pad_down, pad_left, pad_right, pad_a, pad_r, pad_start};

}  // namespace

std::optional<pad_button> libretro_button(pad_control control) {
    switch (control) {
        case pad_control::up:
            return pad_up;
        case pad_control::down:
            return pad_down;
        case pad_control::left:
            return pad_left;
        case pad_control::right:
            return pad_right;
        case pad_control::select:
            return pad_select;
        case pad_control::start:
            return pad_start;
        case pad_control::a:
            return pad_a;
        case pad_control::b:
            return pad_b;
        case pad_control::x:
            return pad_x;
        case pad_control::y:
            return pad_y;
        case pad_control::l:
            return pad_l;
        case pad_control::r:
            return pad_r;
        case pad_control::c:
        case pad_control::z:
        case pad_control::button_1:
        case pad_control::button_2:
            break;
    }
    return std::nullopt;
}

input default_key(pad_button button) {
    for (pad_control control :
         {pad_control::up, pad_control::down, pad_control::left, pad_control::right,
          pad_control::select, pad_control::start, pad_control::a, pad_control::b, pad_control::x,
          pad_control::y, pad_control::l, pad_control::r}) {
        if (libretro_button(control) == button) return input::key(*default_key_code(control));
    }
    return {};
}

std::optional<input_source> source_of(const input& id) {
    input_source s;
    s.joystick = id.joystick - 1;
    s.index = id.index;
    switch (id.type) {
        case input::kind::key:
            return key_source(id.index);
        case input::kind::button:
            s.type = input_source::kind::joystick_button;
            return s;
        case input::kind::axis:
            s.type = input_source::kind::joystick_axis;
            s.positive = id.positive;
            return s;
        case input::kind::hat:
            s.type = input_source::kind::joystick_hat;
            switch (id.hat) {
                case hat_direction::up:
                    s.hat_bit = hat_up;
                    break;
                case hat_direction::down:
                    s.hat_bit = hat_down;
                    break;
                case hat_direction::left:
                    s.hat_bit = hat_left;
                    break;
                case hat_direction::right:
                    s.hat_bit = hat_right;
                    break;
            }
            return s;
        case input::kind::none:
        case input::kind::joystick:
        case input::kind::code:
            break;
    }
    return std::nullopt;
}

std::optional<input_source> key_source(int code) {
    input_source s;
    s.key_syms = key_syms_of_code(code);
    if (s.key_syms.empty()) return std::nullopt;
    return s;
}

std::vector<pad_binding> vba_bindings(std::optional<std::string_view> vba_ini) {
    vba::load_result loaded;
    if (vba_ini) loaded = vba::parse(*vba_ini);
    const emulator_profile& vba = profile("vba");
    std::vector<pad_binding> out;
    for (std::size_t r = 0; r < vba.row_count; ++r) {
        const auto& value = loaded.values[r];
        pad_button button = row_button(vba, r);
        out.push_back(bound(0, button, value ? vba::input_of(*value) : default_key(button)));
    }
    return out;
}

std::vector<pad_binding> zsnes_bindings(std::optional<std::string_view> zinput_cfg) {
    const emulator_profile& zsnes_profile = profile("zsnes");
    std::vector<binding> records(zsnes::binding_count);
    // Records the file does not reach keep these: the defaults on the first pad, none on the
    // second.
    for (std::size_t i = 0; i < zsnes_profile.row_count; ++i)
        records[i].id = default_key(row_button(zsnes_profile, i));
    if (zinput_cfg) zsnes::load(*zinput_cfg, records);
    std::vector<pad_binding> out;
    for (int i = 0; i < zsnes::binding_count; ++i) {
        out.push_back(
            bound(static_cast<unsigned>(i / zsnes::button_count),
                  row_button(zsnes_profile, static_cast<std::size_t>(i % zsnes::button_count)),
                  records[static_cast<std::size_t>(i)].id));
    }
    return out;
}

std::vector<pad_binding> ootake_bindings(std::optional<std::string_view> ootake_dat) {
    std::vector<binding> records;
    const bool loaded = ootake_dat && ootake::load(*ootake_dat, records);
    std::vector<pad_binding> out;
    for (int i = 0; i < ootake::slot_count; ++i) {
        unsigned port = static_cast<unsigned>(i / ootake::button_count);
        pad_button button =
            row_button(profile("ootake"), static_cast<std::size_t>(i % ootake::button_count));
        input id;
        if (loaded) {
            id = records[static_cast<std::size_t>(i)].id;
        } else if (port == 0) {
            id = default_key(button);
        }
        out.push_back(bound(port, button, id));
    }
    return out;
}

std::vector<pad_binding> gens_bindings(std::optional<std::string_view> gens_cfg) {
    std::vector<binding> records(gens::binding_count);
    for (int r = 0; r < gens::row_count; ++r)
        records[static_cast<std::size_t>(r)].id = default_key(gens_buttons[r]);
    // A file cut short keeps the defaults for the rows it does not reach.
    if (gens_cfg) gens::load(*gens_cfg, records);
    std::vector<pad_binding> out;
    for (int i = 0; i < gens::binding_count; ++i) {
        out.push_back(bound(static_cast<unsigned>(i / gens::row_count),
                            gens_buttons[static_cast<std::size_t>(i % gens::row_count)],
                            records[static_cast<std::size_t>(i)].id));
    }
    return out;
}

std::vector<pad_binding> meka_bindings(std::optional<std::string_view> meka_inp) {
    std::vector<binding> records(meka::binding_count);
    bool loaded = false;
    if (meka_inp) loaded = meka::load(*meka_inp, records).status == meka::load_status::loaded;
    std::vector<pad_binding> out;
    for (int i = 0; i < meka::binding_count; ++i) {
        const unsigned port = static_cast<unsigned>(meka::player_of(i) - 1);
        const pad_button button = meka_buttons[static_cast<std::size_t>(i % meka::control_count)];
        input id;
        if (loaded) {
            id = records[static_cast<std::size_t>(i)].id;
        } else if (port == 0 && !meka::is_joystick_record(i)) {
            id = default_key(button);
        }
        out.push_back(bound(port, button, id));
    }
    return out;
}

std::vector<pad_binding> nester_bindings(platform::registry& store,
                                         std::string_view keyboard_guid) {
    std::vector<pad_binding> out;
    for (int c = 0; c < nester::controller_count; ++c) {
        for (int b = 0; b < nester::button_count; ++b) {
            const std::string key = nester::key_path(c, b);
            const nester::key_record record = store.key_exists(key)
                                                  ? nester::read_record(store, key)
                                                  : nester::default_record(c, b, keyboard_guid);
            out.push_back(bound(static_cast<unsigned>(c),
                                row_button(profile("nester"), static_cast<std::size_t>(b)),
                                nester::input_of(record, c)));
        }
    }
    return out;
}

std::vector<pad_binding> file_bindings(const emulator_profile& emulator,
                                       std::optional<std::string_view> bytes) {
    // The file formats rx_retro reads, by the emulator whose screen writes them.
    if (emulator.name == "vba") return vba_bindings(bytes);
    if (emulator.name == "zsnes") return zsnes_bindings(bytes);
    if (emulator.name == "ootake") return ootake_bindings(bytes);
    if (emulator.name == "gens") return gens_bindings(bytes);
    if (emulator.name == "meka") return meka_bindings(bytes);
    return {};
}

pad_state read_pads(const std::vector<pad_binding>& bindings, const input_reader& reader) {
    pad_state state;
    for (const pad_binding& b : bindings) {
        if (!b.source || b.port >= core::port_count) continue;
        const input_source& s = *b.source;
        bool pressed = false;
        switch (s.type) {
            case input_source::kind::key:
                for (int sym : s.key_syms) pressed = pressed || (reader.key && reader.key(sym));
                break;
            case input_source::kind::joystick_button:
                pressed = reader.button && reader.button(s.joystick, s.index);
                break;
            case input_source::kind::joystick_axis:
                if (reader.axis) {
                    int value = reader.axis(s.joystick, s.index);
                    pressed = s.positive ? value >= axis_threshold : value <= -axis_threshold;
                }
                break;
            case input_source::kind::joystick_hat:
                pressed = reader.hat && (reader.hat(s.joystick) & s.hat_bit) != 0;
                break;
        }
        if (pressed) state.mask[b.port] |= pad_bit(b.button);
    }
    return state;
}

std::vector<std::string> unplayable_bindings(const std::vector<pad_binding>& bindings,
                                             std::string_view console_name) {
    static const std::array<const char*, 12> button_names = {
        "B", "Y", "Select", "Start", "Up", "Down", "Left", "Right", "A", "X", "L", "R"};
    std::vector<std::string> lines;
    for (const pad_binding& b : bindings) {
        if (b.source || b.id.type == input::kind::none) continue;
        lines.push_back(std::string(console_name) + " pad " + std::to_string(b.port + 1) + " " +
                        button_names[b.button] + ": \"" + input_name(b.id) +
                        "\" is no key or joystick input this player can read; left unbound");
    }
    return lines;
}

}  // namespace rx::retro
