// The sound device: a queue the emulation fills and SDL's callback drains, never making the
// emulation wait.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rx::retro {

class audio_output {
  public:
    // Frames the device asks for at a time, and the fill the rate control aims at.
    static constexpr int device_frames = 1024;
    static constexpr std::size_t target_frames = 3 * device_frames;
    static constexpr std::size_t capacity_frames = 8 * device_frames;

    // Opens the device at about `wanted_rate`; false (and the game plays silent) without one.
    bool open(int wanted_rate, std::string& error);
    ~audio_output();
    // Stops the device; the queue is dropped.
    void close();
    bool is_open() const { return open_; }
    int rate() const { return rate_; }

    // Frames waiting to be played.
    std::size_t queued() const;
    // Adds interleaved stereo frames; what does not fit is dropped rather than waited for.
    void push(const std::vector<std::int16_t>& samples);
    // Stops the device without dropping the queue; the next push that finds the queue at its
    // target starts it again.
    void pause();
    // Frames the device asked for while the queue was empty (heard as a gap).
    std::uint64_t underrun_frames() const;
    // Frames the device has asked for since it opened: over a stretch of time, its true rate.
    std::uint64_t requested_frames() const;

  private:
    static void fill(void* self, std::uint8_t* stream, int length);
    bool open_ = false;
    bool playing_ = false;
    int rate_ = 0;
    std::vector<std::int16_t> ring_;    // capacity_frames stereo frames
    std::size_t read_ = 0, count_ = 0;  // in frames
    std::uint64_t underruns_ = 0;
    std::uint64_t requested_ = 0;
    std::uint64_t started_at_ = 0;  // requested_ when the device last started
};

}  // namespace rx::retro
