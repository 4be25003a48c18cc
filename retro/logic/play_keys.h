// The player's own keys during play: the pad combination held to open the pause menu, the menu's
// choices, and fast-forward.
#pragma once
#include <cstdint>
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

}  // namespace rx::retro
