// The rate controller and the stereo resampler.
#include "retro/logic/sound.h"

#include <algorithm>
#include <cmath>

namespace rx::retro {

rate_controller::rate_controller(std::size_t target, std::size_t capacity)
    : target_(static_cast<double>(target)),
      span_(std::max(1.0, static_cast<double>(capacity) - static_cast<double>(target))) {}

double rate_controller::factor(std::size_t queued) const {
    double off = (target_ - static_cast<double>(queued)) / span_;
    off = std::clamp(off, -1.0, 1.0);
    return 1.0 + off * max_adjust;
}

resampler::resampler(double input_rate, double output_rate)
    : input_rate_(input_rate), output_rate_(output_rate) {}

void resampler::set_input_rate(double input_rate) {
    input_rate_ = input_rate;
}

void resampler::process(const std::int16_t* input, std::size_t frames, double factor,
                        std::vector<std::int16_t>& out) {
    if (frames == 0 || factor <= 0) return;
    // Input frames per output frame.
    const double step = input_rate_ / (output_rate_ * factor);
    // Frame i of this block is at position i + 1 counted from `last_` (position 0).
    auto sample = [&](std::size_t at, int channel) -> double {
        return at == 0 ? last_[channel] : input[2 * (at - 1) + channel];
    };
    while (position_ < static_cast<double>(frames)) {
        std::size_t base = static_cast<std::size_t>(position_);
        double fraction = position_ - static_cast<double>(base);
        for (int channel = 0; channel < 2; ++channel) {
            double a = sample(base, channel);
            double b = sample(base + 1, channel);
            out.push_back(static_cast<std::int16_t>(std::lround(a + (b - a) * fraction)));
        }
        position_ += step;
    }
    position_ -= static_cast<double>(frames);
    last_[0] = input[2 * (frames - 1)];
    last_[1] = input[2 * (frames - 1) + 1];
}

}  // namespace rx::retro
