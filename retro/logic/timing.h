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

// Decides when the battery save memory goes to the server: after it changed, at most every
// `interval_ms`, and once more at the end when it changed since the last store.
class save_keeper {
  public:
    static constexpr double default_interval_ms = 10000;

    explicit save_keeper(std::vector<unsigned char> stored, double now_ms,
                         double interval_ms = default_interval_ms);
    // True when `current` differs from what was last stored and the interval has passed.
    bool due(const std::vector<unsigned char>& current, double now_ms) const;
    // True when `current` differs from what was last stored.
    bool changed(const std::vector<unsigned char>& current) const;
    void stored(std::vector<unsigned char> bytes, double now_ms);

  private:
    std::vector<unsigned char> stored_;
    double last_ms_;
    double interval_ms_;
};

}  // namespace rx::retro
