// Settings to pad buttons: each format's codec gives the shown names, the names give the inputs.
#include "retro/logic/bindings.h"

#include <array>
#include <map>
#include <set>

#include "browser/controls/logic/binding_codec.h"
#include "browser/controls/logic/gens_settings.h"
#include "browser/controls/logic/key_names.h"
#include "browser/controls/logic/meka_settings.h"
#include "browser/controls/logic/nester_settings.h"
#include "browser/controls/logic/ootake_settings.h"
#include "browser/controls/logic/vba_settings.h"
#include "browser/controls/logic/zsnes_settings.h"

namespace rx::retro {

namespace {

// SDL 1.2 numbers its key symbols below this.
constexpr int key_symbol_limit = 512;

// Every symbol the capture box names, by name; several keys may share a name ("Enter").
const std::multimap<std::string, int>& symbols_by_name() {
    static const std::multimap<std::string, int> table = [] {
        std::multimap<std::string, int> t;
        for (int sym = 0; sym < key_symbol_limit; ++sym) {
            if (auto name = capture_key_name(sym)) t.emplace(*name, sym);
        }
        return t;
    }();
    return table;
}

// Names the key-name table gives to more than one code.
const std::set<std::string>& shared_key_names() {
    static const std::set<std::string> names = [] {
        std::map<std::string, int> uses;
        for (int code = 1; code < 256; ++code) {
            if (is_named_key(code)) ++uses[key_std_name(code)];
        }
        std::set<std::string> shared;
        for (const auto& [name, count] : uses) {
            if (count > 1) shared.insert(name);
        }
        return shared;
    }();
    return names;
}

// DirectInput codes of the player's default first pad: the arrows, Right Shift for Select,
// keypad Enter for Start, Z and X for A and B, then A, S, Q and W for X, Y, L and R.
constexpr int key_up = 200, key_down = 208, key_left = 203, key_right = 205, key_rshift = 54,
              key_pad_enter = 156, key_z = 44, key_x = 45, key_a = 30, key_s = 31, key_q = 16,
              key_w = 17;

pad_binding bound(unsigned port, pad_button button, std::string shown) {
    pad_binding b;
    b.port = port;
    b.button = button;
    b.shown = std::move(shown);
    b.source = source_of(b.shown);
    return b;
}

// A box saved empty is written as 0, which is no key: it must not play the key named "0".
std::string shown_unless_empty(int value, std::string shown) {
    return value == 0 ? std::string() : shown;
}

// The screens' row orders as pad buttons.
constexpr std::array<pad_button, vba::row_count> vba_buttons = {
    pad_up, pad_down, pad_left, pad_right, pad_select, pad_start, pad_a, pad_b, pad_l, pad_r};
constexpr std::array<pad_button, zsnes::button_count> zsnes_buttons = {
    pad_up, pad_down, pad_left, pad_right, pad_select, pad_start,
    pad_a,  pad_b,    pad_x,    pad_y,     pad_l,      pad_r};
constexpr std::array<pad_button, nester::button_count> nester_buttons = {
    pad_up, pad_down, pad_left, pad_right, pad_select, pad_start, pad_a, pad_b};
// The PC Engine core reads button I as the pad's A and II as its B, Run as Start.
constexpr std::array<pad_button, ootake::button_count> ootake_buttons = {
    pad_up, pad_down, pad_left, pad_right, pad_select, pad_start, pad_a, pad_b};

constexpr std::array<pad_button, gens::row_count> gens_buttons = {
    pad_up, pad_down, pad_left, pad_right, pad_start, pad_b, pad_a, pad_r, pad_y, pad_x, pad_l};
constexpr std::array<pad_button, meka::control_count> meka_buttons = {
    pad_up, pad_down, pad_left, pad_right, pad_a, pad_r, pad_start};

// MEKA keeps a keyboard line's carriage return in the name; the key is the name without it.
std::string without_carriage_return(std::string name) {
    if (!name.empty() && name.back() == '\r') name.pop_back();
    return name;
}

}  // namespace

std::string default_key_name(pad_button button) {
    switch (button) {
        case pad_up:
            return key_std_name(key_up);
        case pad_down:
            return key_std_name(key_down);
        case pad_left:
            return key_std_name(key_left);
        case pad_right:
            return key_std_name(key_right);
        case pad_select:
            return key_std_name(key_rshift);
        case pad_start:
            return key_std_name(key_pad_enter);
        case pad_a:
            return key_std_name(key_z);
        case pad_b:
            return key_std_name(key_x);
        case pad_x:
            return key_std_name(key_a);
        case pad_y:
            return key_std_name(key_s);
        case pad_l:
            return key_std_name(key_q);
        case pad_r:
            return key_std_name(key_w);
    }
    return {};
}

std::optional<input_source> source_of(std::string_view shown) {
    if (shown.empty()) return std::nullopt;
    if (auto joystick = parse_joystick_name(shown)) {
        input_source s;
        s.joystick = joystick->joystick - 1;
        s.index = joystick->index;
        using kind = joystick_input::input_kind;
        switch (joystick->kind) {
            case kind::none:
                return std::nullopt;
            case kind::button:
                s.type = input_source::kind::joystick_button;
                break;
            case kind::axis:
                s.type = input_source::kind::joystick_axis;
                s.positive = joystick->positive;
                break;
            case kind::hat:
                s.type = input_source::kind::joystick_hat;
                switch (joystick->hat) {
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
                break;
        }
        return s;
    }
    input_source s;
    auto take = [&](const std::string& name) {
        auto range = symbols_by_name().equal_range(name);
        for (auto it = range.first; it != range.second; ++it) s.key_syms.push_back(it->second);
    };
    take(std::string(shown));
    if (s.key_syms.empty()) return std::nullopt;
    // The key-name table gives keypad Enter the plain name "Enter" the capture box keeps for
    // Return: a name the table gives to two keys stands for the keypad one too.
    if (shared_key_names().count(std::string(shown))) take(std::string(shown) + " (Pad)");
    return s;
}

std::vector<pad_binding> vba_bindings(std::optional<std::string_view> vba_ini) {
    vba::load_result loaded;
    if (vba_ini) loaded = vba::parse(*vba_ini);
    std::vector<pad_binding> out;
    for (int r = 0; r < vba::row_count; ++r) {
        const auto& value = loaded.values[static_cast<std::size_t>(r)];
        pad_button button = vba_buttons[static_cast<std::size_t>(r)];
        out.push_back(
            bound(0, button,
                  value ? shown_unless_empty(leading_integer(*value), vba::get_std_name(*value))
                        : default_key_name(button)));
    }
    return out;
}

std::vector<pad_binding> zsnes_bindings(std::optional<std::string_view> zinput_cfg) {
    std::vector<settings_binding> records(zsnes::binding_count);
    // Records the file does not reach keep these: the defaults on the first pad, none on the
    // second.
    for (int i = 0; i < zsnes::button_count; ++i) {
        records[static_cast<std::size_t>(i)].shown = default_key_name(zsnes_buttons[i]);
    }
    if (zinput_cfg) zsnes::load(*zinput_cfg, records);
    std::vector<pad_binding> out;
    for (int i = 0; i < zsnes::binding_count; ++i) {
        const settings_binding& record = records[static_cast<std::size_t>(i)];
        out.push_back(bound(static_cast<unsigned>(i / zsnes::button_count),
                            zsnes_buttons[static_cast<std::size_t>(i % zsnes::button_count)],
                            record.emu.empty()
                                ? record.shown
                                : shown_unless_empty(leading_integer(record.emu), record.shown)));
    }
    return out;
}

std::vector<pad_binding> ootake_bindings(std::optional<std::string_view> ootake_dat) {
    std::optional<ootake::slots> slots;
    if (ootake_dat) slots = ootake::load(*ootake_dat);
    std::vector<pad_binding> out;
    for (int i = 0; i < ootake::slot_count; ++i) {
        unsigned port = static_cast<unsigned>(i / ootake::button_count);
        pad_button button = ootake_buttons[static_cast<std::size_t>(i % ootake::button_count)];
        std::string shown;
        if (slots) {
            const ootake::slot& s = (*slots)[static_cast<std::size_t>(i)];
            shown = shown_unless_empty(s.code, s.shown);
        } else if (port == 0) {
            shown = default_key_name(button);
        }
        out.push_back(bound(port, button, shown));
    }
    return out;
}

std::vector<pad_binding> gens_bindings(std::optional<std::string_view> gens_cfg) {
    std::vector<settings_binding> records(gens::binding_count);
    for (int r = 0; r < gens::row_count; ++r) {
        records[static_cast<std::size_t>(r)].shown = default_key_name(gens_buttons[r]);
    }
    // A file cut short keeps the defaults for the rows it does not reach.
    if (gens_cfg) gens::load(*gens_cfg, records);
    std::vector<pad_binding> out;
    for (int i = 0; i < gens::binding_count; ++i) {
        const settings_binding& record = records[static_cast<std::size_t>(i)];
        out.push_back(bound(static_cast<unsigned>(i / gens::row_count),
                            gens_buttons[static_cast<std::size_t>(i % gens::row_count)],
                            record.emu.empty()
                                ? record.shown
                                : shown_unless_empty(leading_integer(record.emu), record.shown)));
    }
    return out;
}

std::vector<pad_binding> meka_bindings(std::optional<std::string_view> meka_inp) {
    std::vector<settings_binding> records(meka::binding_count);
    bool loaded = false;
    if (meka_inp) loaded = meka::load(*meka_inp, records).status == meka::load_status::loaded;
    std::vector<pad_binding> out;
    for (int i = 0; i < meka::binding_count; ++i) {
        const unsigned port = static_cast<unsigned>(meka::player_of(i) - 1);
        const pad_button button = meka_buttons[static_cast<std::size_t>(i % meka::control_count)];
        std::string shown;
        if (loaded) {
            shown = without_carriage_return(records[static_cast<std::size_t>(i)].shown);
        } else if (port == 0 && !meka::is_joystick_record(i)) {
            shown = default_key_name(button);
        }
        out.push_back(bound(port, button, shown));
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
                                nester_buttons[static_cast<std::size_t>(b)],
                                nester::std_name(record, c)));
        }
    }
    return out;
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
        if (b.source || b.shown.empty()) continue;
        lines.push_back(std::string(console_name) + " pad " + std::to_string(b.port + 1) + " " +
                        button_names[b.button] + ": \"" + b.shown +
                        "\" is no key or joystick input this player can read; left unbound");
    }
    return lines;
}

}  // namespace rx::retro
