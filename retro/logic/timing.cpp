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

}  // namespace rx::retro
