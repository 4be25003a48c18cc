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

}  // namespace rx::retro
