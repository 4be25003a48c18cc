// SDL audio behind a ring buffer; the callback runs on SDL's thread, so both sides lock.
#include "retro/audio_output.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace rx::retro {

bool audio_output::open(int wanted_rate, std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == -1) {
        error = SDL_GetError();
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = wanted_rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = device_frames;
    wanted.callback = &audio_output::fill;
    wanted.userdata = this;
    SDL_AudioSpec got{};
    if (SDL_OpenAudio(&wanted, &got) == -1) {
        error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    if (got.format != AUDIO_S16SYS || got.channels != 2) {
        error = "the sound device does not take 16-bit stereo";
        SDL_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    rate_ = got.freq;
    ring_.assign(2 * capacity_frames, 0);
    open_ = true;
    // The device starts once the queue holds its target, so the first frames play without a gap.
    return true;
}

audio_output::~audio_output() {
    close();
}

void audio_output::close() {
    if (!open_) return;
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open_ = false;
}

std::size_t audio_output::queued() const {
    if (!open_) return 0;
    SDL_LockAudio();
    std::size_t n = count_;
    SDL_UnlockAudio();
    return n;
}

std::uint64_t audio_output::underrun_frames() const {
    if (!open_) return 0;
    SDL_LockAudio();
    std::uint64_t n = underruns_;
    SDL_UnlockAudio();
    return n;
}

std::uint64_t audio_output::requested_frames() const {
    if (!open_) return 0;
    SDL_LockAudio();
    std::uint64_t n = requested_;
    SDL_UnlockAudio();
    return n;
}

void audio_output::push(const std::vector<std::int16_t>& samples) {
    if (!open_) return;
    std::size_t frames = samples.size() / 2;
    SDL_LockAudio();
    std::size_t room = capacity_frames - count_;
    frames = std::min(frames, room);
    std::size_t write = (read_ + count_) % capacity_frames;
    for (std::size_t i = 0; i < frames; ++i) {
        ring_[2 * write] = samples[2 * i];
        ring_[2 * write + 1] = samples[2 * i + 1];
        write = (write + 1) % capacity_frames;
    }
    count_ += frames;
    // A device takes a while to start asking (a sound server a quarter of a second), and all that
    // time the game goes on making sound: the queue would fill and leave the sound a tenth of a
    // second behind the picture until the rate control, at its half a percent, had worked it off
    // half a minute later. In its first second the device is given only the target's worth; the
    // frames dropped are the very start of the sound.
    if (playing_ && requested_ - started_at_ < static_cast<std::uint64_t>(rate_) &&
        count_ > target_frames + frames) {
        const std::size_t excess = count_ - target_frames - frames;
        read_ = (read_ + excess) % capacity_frames;
        count_ -= excess;
    }
    bool start = !playing_ && count_ >= target_frames;
    if (start) started_at_ = requested_;
    SDL_UnlockAudio();
    if (start) {
        playing_ = true;
        SDL_PauseAudio(0);
    }
}

void audio_output::pause() {
    if (!open_ || !playing_) return;
    SDL_PauseAudio(1);
    playing_ = false;
}

void audio_output::fill(void* self, std::uint8_t* stream, int length) {
    auto* out = static_cast<audio_output*>(self);
    auto* samples = reinterpret_cast<std::int16_t*>(stream);
    std::size_t wanted = static_cast<std::size_t>(length) / 4;
    std::size_t given = std::min(wanted, out->count_);
    out->requested_ += wanted;
    for (std::size_t i = 0; i < given; ++i) {
        samples[2 * i] = out->ring_[2 * out->read_];
        samples[2 * i + 1] = out->ring_[2 * out->read_ + 1];
        out->read_ = (out->read_ + 1) % capacity_frames;
    }
    out->count_ -= given;
    if (given < wanted) {
        std::memset(samples + 2 * given, 0, (wanted - given) * 4);
        out->underruns_ += wanted - given;
    }
}

}  // namespace rx::retro
