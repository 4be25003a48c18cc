// Quick save and quick load of one state per game on the game server, and the short notices the
// game window shows the player about them (and about the keys at the start of play).
#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "retro/logic/save_sync.h"

namespace rx::retro {

// The game server keeps no save larger than this, so neither is a state sent.
inline constexpr std::size_t max_state_bytes = 1u << 20;
// How long a notice stays on the picture.
inline constexpr double notice_ms = 2500;
// The keys at the start of play stay a little longer: there is more to read.
inline constexpr double keys_notice_ms = 6000;
// What the window shows once as play starts.
inline constexpr const char* keys_notice = "F2 quick save   F4 quick load   Tab fast   Esc menu";

// The keys of play, as SDL's key symbols: no settings file the program ships binds them to a pad.
inline constexpr int quick_save_sym = 283;  // F2
inline constexpr int quick_load_sym = 285;  // F4
inline constexpr int fast_forward_sym = 9;  // Tab
inline constexpr int pause_menu_sym = 27;   // Escape

// The state's name on the server beside the battery save `GAME.sav`: `GAME.sst`, as long as the
// battery save's name, so every game whose save the server accepts has room for its state too.
std::string state_name(const std::string& save_name);

// Why a quick save cannot start ("" when it can): the core keeps no states, or this one is larger
// than the server takes.
std::string quick_save_refusal(std::size_t state_size);
// What the player reads once the server answered a quick save or a quick load. `applied`: the core
// took the state that arrived.
std::string quick_save_outcome(store_status status);
std::string quick_load_outcome(load_status status, std::size_t size, bool applied);

// One line of text over the picture for a while; a newer one replaces it.
class notice_board {
  public:
    void show(std::string text, double now_ms, double for_ms = notice_ms);
    // The text to draw now; empty once it has run out.
    const std::string& current(double now_ms);
    // True once, on the first call after the text ran out or was replaced: the picture under it
    // must be drawn whole again.
    bool take_cleared();

  private:
    std::string text_;
    double until_ms_ = 0;
    bool cleared_ = false;
};

// The quick save and load asked for but not yet answered: one at a time, since the server takes
// one exchange at a time and a second press before the first is answered is most often a repeat.
class quick_requests {
  public:
    enum class kind { save, load };
    // False (and the press is not taken) while another is waiting or on its way.
    bool ask(kind what);
    // The request to start now, once the server is free; it stays in flight until finished().
    std::optional<kind> start();
    bool in_flight() const { return in_flight_.has_value(); }
    std::optional<kind> waiting() const { return waiting_; }
    // The request that was in flight is done; returns it.
    std::optional<kind> finished();

  private:
    std::optional<kind> waiting_;
    std::optional<kind> in_flight_;
};

}  // namespace rx::retro
