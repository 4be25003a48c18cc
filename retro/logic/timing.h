// The clocks of play: frames paced to the core's rate, and when the battery save is stored.
#pragma once
#include <cstdint>
#include <vector>

namespace rx::retro {

// Deadlines of frames at a fixed rate, in milliseconds of a monotonic clock. The program sleeps
// until the next one instead of spinning; a player who falls far behind (the machine stalled)
// starts counting again from now rather than racing to catch up.
class frame_pacer {
  public:
    static constexpr double max_lag_frames = 4;

    frame_pacer(double frames_per_second, double now_ms);
    void set_rate(double frames_per_second);
    // Milliseconds to wait before the next frame may run (0 when it is due).
    double wait_ms(double now_ms) const;
    // Records that a frame ran; call after waiting.
    void frame_done(double now_ms);

  private:
    double period_ms_;
    double next_ms_;
};

// Count, mean, spread and extremes of a series of figures, kept without storing the series (a
// ten-minute run has tens of thousands of frames).
class running_stats {
  public:
    void add(double value);
    std::uint64_t count() const { return count_; }
    double mean() const { return count_ ? mean_ : 0; }
    // The population standard deviation; 0 below two values.
    double deviation() const;
    double min() const { return count_ ? min_ : 0; }
    double max() const { return count_ ? max_ : 0; }

  private:
    std::uint64_t count_ = 0;
    double mean_ = 0, squares_ = 0;  // Welford's sums: no cancellation over long runs
    double min_ = 0, max_ = 0;
};

}  // namespace rx::retro
