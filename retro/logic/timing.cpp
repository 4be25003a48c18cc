// Frame deadlines and the save interval.
#include "retro/logic/timing.h"

namespace rx::retro {

frame_pacer::frame_pacer(double frames_per_second, double now_ms)
    : period_ms_(1000.0 / frames_per_second), next_ms_(now_ms) {}

void frame_pacer::set_rate(double frames_per_second) {
    if (frames_per_second > 0) period_ms_ = 1000.0 / frames_per_second;
}

double frame_pacer::wait_ms(double now_ms) const {
    return next_ms_ > now_ms ? next_ms_ - now_ms : 0;
}

void frame_pacer::frame_done(double now_ms) {
    next_ms_ += period_ms_;
    if (now_ms - next_ms_ > max_lag_frames * period_ms_) next_ms_ = now_ms + period_ms_;
}

save_keeper::save_keeper(std::vector<unsigned char> stored, double now_ms, double interval_ms)
    : stored_(std::move(stored)), last_ms_(now_ms), interval_ms_(interval_ms) {}

bool save_keeper::changed(const std::vector<unsigned char>& current) const {
    return current != stored_;
}

bool save_keeper::due(const std::vector<unsigned char>& current, double now_ms) const {
    return now_ms - last_ms_ >= interval_ms_ && changed(current);
}

void save_keeper::stored(std::vector<unsigned char> bytes, double now_ms) {
    stored_ = std::move(bytes);
    last_ms_ = now_ms;
}

}  // namespace rx::retro
