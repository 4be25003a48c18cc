// The held combination, the pause menu and fast-forward.
#include "retro/logic/play_keys.h"

#include <cstring>

namespace rx::retro {
namespace {

constexpr std::uint16_t bit(pad_button b) {
    return static_cast<std::uint16_t>(1u << b);
}

}  // namespace

bool combo_hold::update(const pad_state& pads, double now_ms) {
    const std::uint16_t both = bit(pad_select) | bit(pad_start);
    bool held = false;
    for (std::uint16_t mask : pads.mask) held = held || (mask & both) == both;
    if (!held) {
        reset();
        return false;
    }
    if (!since_) since_ = now_ms;
    if (fired_ || now_ms - *since_ < menu_hold_ms) return false;
    fired_ = true;
    return true;
}

void combo_hold::reset() {
    since_.reset();
    fired_ = false;
}

void pause_menu::open(const pad_state& pads) {
    selected_ = item::resume;
    for (unsigned port = 0; port < core::port_count; ++port) last_[port] = pads.mask[port];
}

pause_menu::result pause_menu::press(input in) {
    switch (in) {
        // Up and Down go to a place rather than step: a key that is also a pad button arrives by
        // both ways, and must not step twice.
        case input::up:
            selected_ = item::resume;
            return result::stay;
        case input::down:
            selected_ = item::quit;
            return result::stay;
        case input::confirm:
            return selected_ == item::resume ? result::resume : result::quit;
        case input::back:
            return result::resume;
    }
    return result::stay;
}

std::vector<pause_menu::input> pause_menu::pad_inputs(const pad_state& pads) {
    std::vector<input> out;
    for (unsigned port = 0; port < core::port_count; ++port) {
        const std::uint16_t down = pads.mask[port] & ~last_[port];
        last_[port] = pads.mask[port];
        if (down & bit(pad_up)) out.push_back(input::up);
        if (down & bit(pad_down)) out.push_back(input::down);
        if (down & (bit(pad_a) | bit(pad_start))) out.push_back(input::confirm);
        if (down & bit(pad_b)) out.push_back(input::back);
    }
    return out;
}

int run_tick(core& game, const pad_state& pads, bool fast_forward,
             std::vector<std::int16_t>& audio) {
    const int frames = fast_forward ? fast_forward_limit : 1;
    for (int i = 0; i < frames; ++i) {
        for (unsigned port = 0; port < core::port_count; ++port) {
            game.set_buttons(port, pads.mask[port]);
        }
        game.run_frame();
    }
    audio.clear();
    game.take_audio(audio);
    if (fast_forward) audio.clear();
    return frames;
}

int play_frame(core& game, const frame_hooks& hooks, bool fast_forward,
               std::vector<std::int16_t>& audio) {
    const pad_state pads = hooks.read_pads ? hooks.read_pads() : pad_state{};
    if (hooks.admit && !hooks.admit(pads)) return 0;
    const std::uint64_t drawn = game.frames_drawn();
    const int ran = run_tick(game, pads, fast_forward, audio);
    if (game.frames_drawn() != drawn && hooks.show) hooks.show();
    return ran;
}

namespace {

std::vector<unsigned char> picture_of(const frame_view& f) {
    if (!f.data) return {};
    const auto* bytes = static_cast<const unsigned char*>(f.data);
    const std::size_t row = f.width * (f.format == pixel_format::xrgb8888 ? 4u : 2u);
    std::vector<unsigned char> copy(row * f.height);
    for (unsigned y = 0; y < f.height; ++y)
        std::memcpy(copy.data() + row * y, bytes + f.pitch * y, row);
    return copy;
}

}  // namespace

int frames_to_first_change(core& game, std::uint16_t buttons, bool frontend, int settle,
                           int limit) {
    std::vector<std::int16_t> audio;
    std::vector<unsigned char> shown;
    std::uint16_t held = 0;
    frame_hooks hooks;
    hooks.read_pads = [&] {
        pad_state pads;
        pads.mask[0] = held;
        return pads;
    };
    hooks.show = [&] { shown = picture_of(game.frame()); };
    auto step = [&] {
        if (frontend) {
            play_frame(game, hooks, false, audio);
        } else {
            game.set_buttons(0, held);
            game.set_buttons(1, 0);
            game.run_frame();
            shown = picture_of(game.frame());
        }
        game.take_audio(audio);
        audio.clear();
    };
    for (int i = 0; i < settle; ++i) step();
    const std::vector<unsigned char> before = shown;
    held = buttons;
    for (int n = 1; n <= limit; ++n) {
        step();
        if (shown != before) return n;
    }
    return -1;
}

}  // namespace rx::retro
