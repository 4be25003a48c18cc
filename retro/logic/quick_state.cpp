// What a quick save or load tells the player, the notices' lifetime, and the one request at a time.
#include "retro/logic/quick_state.h"

namespace rx::retro {

std::string state_name(const std::string& save_name) {
    const std::string battery = ".sav";
    std::string base = save_name;
    if (base.size() >= battery.size() &&
        base.compare(base.size() - battery.size(), battery.size(), battery) == 0)
        base.resize(base.size() - battery.size());
    return base + ".sst";
}

std::string quick_save_refusal(std::size_t state_size) {
    if (state_size == 0) return "Not saved: this game's emulator cannot keep its state";
    if (state_size > max_state_bytes) return "Not saved: the state is larger than the server keeps";
    return {};
}

std::string quick_save_outcome(store_status status) {
    switch (status) {
        case store_status::stored:
            return "Saved";
        case store_status::refused:
            return "Not saved: the server refused it (this account's saves may be full)";
        case store_status::taken_over:
            return "Not saved: this game was continued on another computer";
        case store_status::not_sent:
            return "Not saved: the state could not be written on this computer";
        case store_status::none:
        case store_status::failed:
            break;
    }
    return "Not saved: the server could not be reached";
}

std::string quick_load_outcome(load_status status, std::size_t size, bool applied) {
    switch (status) {
        case load_status::whole:
            if (size == 0) return "No quick save of this game yet (F2 makes one)";
            return applied ? "Loaded" : "Not loaded: the emulator refused the saved state";
        case load_status::cut:
            return "Not loaded: the state arrived incomplete";
        case load_status::too_large:
            return "Not loaded: the state is larger than a save may be";
        case load_status::none:
        case load_status::failed:
            break;
    }
    return "Not loaded: the server could not be reached";
}

void notice_board::show(std::string text, double now_ms, double for_ms) {
    if (!text_.empty()) cleared_ = true;
    text_ = std::move(text);
    until_ms_ = now_ms + for_ms;
}

const std::string& notice_board::current(double now_ms) {
    if (!text_.empty() && now_ms >= until_ms_) {
        text_.clear();
        cleared_ = true;
    }
    return text_;
}

bool notice_board::take_cleared() {
    const bool was = cleared_;
    cleared_ = false;
    return was;
}

bool quick_requests::ask(kind what) {
    if (waiting_ || in_flight_) return false;
    waiting_ = what;
    return true;
}

std::optional<quick_requests::kind> quick_requests::start() {
    if (in_flight_ || !waiting_) return std::nullopt;
    in_flight_ = waiting_;
    waiting_.reset();
    return in_flight_;
}

std::optional<quick_requests::kind> quick_requests::finished() {
    std::optional<kind> done = in_flight_;
    in_flight_.reset();
    return done;
}

}  // namespace rx::retro
