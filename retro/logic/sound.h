// Sound from the core's rate to the device's: a resampler whose ratio a controller nudges to keep
// the device's queue near a target fill.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rx::retro {

// Dynamic rate control: the further the queue is from its target, the more the ratio departs from
// 1, never by more than max_adjust, so the pitch change stays inaudible.
class rate_controller {
  public:
    static constexpr double max_adjust = 0.005;

    // `target` and `capacity` in sample frames.
    rate_controller(std::size_t target, std::size_t capacity);
    // The factor to apply to the output count for a queue holding `queued` frames: above 1 when
    // the queue runs low (make more), below 1 when it runs full.
    double factor(std::size_t queued) const;

  private:
    double target_;
    double span_;
};

// Linear interpolation of interleaved stereo, keeping its phase from one call to the next so the
// uneven blocks a core delivers join without clicks.
class resampler {
  public:
    resampler(double input_rate, double output_rate);
    void set_input_rate(double input_rate);
    // Appends the resampled frames of `input` (interleaved left/right) to `out`, `factor` more
    // or fewer output frames than the plain rate ratio gives.
    void process(const std::int16_t* input, std::size_t frames, double factor,
                 std::vector<std::int16_t>& out);

  private:
    double input_rate_;
    double output_rate_;
    double position_ = 0;  // of the next output frame, in input frames after `last_`
    std::int16_t last_[2] = {0, 0};
};

}  // namespace rx::retro
