// Frame deadlines and the save interval.
#include "retro/logic/timing.h"

#include <algorithm>
#include <cmath>

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

void running_stats::add(double value) {
    if (count_ == 0) {
        min_ = max_ = value;
    } else {
        min_ = std::min(min_, value);
        max_ = std::max(max_, value);
    }
    ++count_;
    const double before = mean_;
    mean_ += (value - before) / static_cast<double>(count_);
    squares_ += (value - before) * (value - mean_);
}

double running_stats::deviation() const {
    return count_ > 1 ? std::sqrt(squares_ / static_cast<double>(count_)) : 0;
}

}  // namespace rx::retro
