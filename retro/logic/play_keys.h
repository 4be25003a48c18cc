// The player's own keys during play: the pad combination held to open the pause menu, the menu's
// choices, and fast-forward.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "retro/logic/bindings.h"
#include "retro/logic/libretro_core.h"

namespace rx::retro {

// Select + Start must stay held this long: a brief press of both is a game's own input.
inline constexpr double menu_hold_ms = 1000;
// Fast-forward never runs the game faster than this many times its own speed.
inline constexpr int fast_forward_limit = 4;

// Select + Start held together on one pad. Fires once when the hold reaches menu_hold_ms, and not
// again until both have been let go.
class combo_hold {
  public:
    bool update(const pad_state& pads, double now_ms);
    void reset();

  private:
    std::optional<double> since_;
    bool fired_ = false;
};

// The small menu over the paused game: Resume (chosen first) or Quit.
class pause_menu {
  public:
    enum class item { resume, quit };
    enum class input { up, down, confirm, back };
    enum class result { stay, resume, quit };

    // Opens with Resume chosen; `pads` is what is held now, so a button still down from the
    // combination does not count as a press.
    void open(const pad_state& pads);
    result press(input in);
    // The menu inputs of the pads' buttons that went down since the last call.
    std::vector<input> pad_inputs(const pad_state& pads);
    item selected() const { return selected_; }

  private:
    item selected_ = item::resume;
    std::uint16_t last_[core::port_count] = {0, 0};
};

// One paced frame of play: the core runs once, or fast_forward_limit times while fast-forward is
// held, all with the same buttons. The sound goes to `audio`, except while fast, when it is dropped
// (sped-up sound is noise). Returns the core frames run.
int run_tick(core& game, const pad_state& pads, bool fast_forward,
             std::vector<std::int16_t>& audio);

// What one frame of play does around the core, given to play_frame.
struct frame_hooks {
    std::function<pad_state()> read_pads;
    // Sees the pads before the core runs; false keeps the core from running this time (the pause
    // menu opens instead). May be empty.
    std::function<bool(const pad_state&)> admit;
    // Puts the frame the core just drew on the screen.
    std::function<void()> show;
};

// One paced frame in the order that adds no frame of lag to the game's own: the pads are read right
// before the core runs, after the wait for the frame's deadline, and a picture the core drew is
// shown right after it ran. Returns the core frames run (0 when `admit` said no).
int play_frame(core& game, const frame_hooks& hooks, bool fast_forward,
               std::vector<std::int16_t>& audio);

// Frames from pressing `buttons` on the first pad to the first picture that differs from the one
// shown before the press, counting the frame run with the press as 1. With `frontend` the frames
// go through play_frame as the player runs them, else straight to the core: the difference is
// what the frontend adds. `settle` frames run first without input; -1 when nothing changed
// within `limit` frames.
int frames_to_first_change(core& game, std::uint16_t buttons, bool frontend, int settle = 30,
                           int limit = 30);

}  // namespace rx::retro
