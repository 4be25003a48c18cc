// A libretro core driven without a window: loads the library and a game from memory, runs frames,
// hands out the picture, the sound and the save memory, and takes the pads' buttons.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace rx::platform {
class dynamic_library;
class memory_file;
}  // namespace rx::platform

namespace rx::retro {

// The layouts a core may hand its frames in (libretro's numbering).
enum class pixel_format { xrgb1555 = 0, xrgb8888 = 1, rgb565 = 2 };

// The last frame the core drew; valid until the next run_frame.
struct frame_view {
    const void* data = nullptr;  // null before the first frame
    unsigned width = 0;
    unsigned height = 0;
    std::size_t pitch = 0;  // bytes from one row to the next
    pixel_format format = pixel_format::xrgb1555;
};

// What the frontend tells a core about its surroundings.
struct core_settings {
    std::string system_folder;  // where a core looks for its own files
    std::string save_folder;    // where a core may keep what it saves itself
    std::string game_label;     // names the in-memory file a core that needs a path is given
    // One line per thing worth the log: what a core asks that is refused, its warnings and errors.
    std::function<void(const std::string&)> log;
};

// Pad buttons by libretro joypad id, as bits of a mask.
enum pad_button : unsigned {
    pad_b = 0,
    pad_y = 1,
    pad_select = 2,
    pad_start = 3,
    pad_up = 4,
    pad_down = 5,
    pad_left = 6,
    pad_right = 7,
    pad_a = 8,
    pad_x = 9,
    pad_l = 10,
    pad_r = 11,
};
constexpr std::uint16_t pad_bit(pad_button button) {
    return static_cast<std::uint16_t>(1u << button);
}

class core {
  public:
    static constexpr unsigned port_count = 2;

    // Loads the library and starts the core; null with the reason in `error` when the library is
    // missing, lacks an entry point, speaks another API version, or another core is running (a
    // core's callbacks are process-wide, so one runs at a time).
    static std::unique_ptr<core> open(const std::string& library_path, core_settings settings,
                                      std::string& error);
    // Unloads the game, stops the core and releases the library.
    ~core();
    core(const core&) = delete;
    core& operator=(const core&) = delete;

    // Hands the game to the core from memory. A core that can only open a path is given an
    // in-memory file holding a copy; nothing is written to disk. False with the reason when the
    // core refuses the game.
    bool load_game(const unsigned char* data, std::size_t size, std::string& error);
    bool game_loaded() const { return game_loaded_; }

    // The core's name and version, and whether it reads games only from a path.
    const std::string& name() const { return name_; }
    const std::string& version() const { return version_; }
    bool needs_path() const { return needs_path_; }

    // Timing and geometry once the game is loaded (a core may change them while it runs).
    double frames_per_second() const { return fps_; }
    double sample_rate() const { return sample_rate_; }
    unsigned base_width() const { return base_width_; }
    unsigned base_height() const { return base_height_; }
    // Width over height the picture is meant to be shown at.
    double aspect_ratio() const;

    // Runs one frame with the buttons set by set_buttons.
    void run_frame();
    // Frames the core has drawn, not counting the ones it asked to repeat.
    std::uint64_t frames_drawn() const { return frames_drawn_; }
    const frame_view& frame() const { return frame_; }
    // True when the core asked to be ended (it has nothing left to run).
    bool shutdown_requested() const { return shutdown_requested_; }

    // Sets the pressed buttons of `port` (0 or 1) as a mask of pad_bit values.
    void set_buttons(unsigned port, std::uint16_t mask);

    // Moves the sound produced since the last call (interleaved left/right) to the end of `out`.
    void take_audio(std::vector<std::int16_t>& out);

    // The battery-backed memory of the game (empty when it has none).
    std::size_t save_size() const;
    std::vector<unsigned char> read_save() const;
    // Copies a save into the core's memory; false, nothing copied, when it is larger than the
    // memory. A shorter save fills the start and the rest reads erased (0xFF): mGBA offers its
    // largest save memory (128 KiB) until the game's first write shows which kind the cartridge
    // has, so a 32 KiB save comes back into a 128 KiB memory.
    bool write_save(const unsigned char* data, std::size_t size);

    // The cartridge clock (8 bytes for a Gameboy cartridge with a timer; empty when none). It is
    // written back only whole: a clock of another size belongs to another cartridge.
    std::vector<unsigned char> read_rtc() const;
    bool write_rtc(const unsigned char* data, std::size_t size);

    // The whole running game as the core serialises it (a save state). state_size is 0 when the
    // core cannot; save_state is empty when it fails. A state is only ever loaded into the same
    // core with the same game, which the core itself checks: false when it refuses the bytes.
    std::size_t state_size() const;
    std::vector<unsigned char> save_state();
    bool load_state(const unsigned char* data, std::size_t size);

    // The value a core option has (its default unless changed here); empty when unknown.
    std::string variable(const std::string& key) const;
    void set_variable(const std::string& key, const std::string& value);

    // Environment requests the core made and this frontend refused, by libretro command number.
    const std::set<unsigned>& refused_requests() const { return refused_; }

  private:
    struct entry_points;
    core() = default;
    bool environment(unsigned command, void* data);
    void note(const std::string& line) const;
    void refuse(unsigned command);
    void read_av_info();

    static bool environment_callback(unsigned command, void* data);
    static void video_callback(const void* data, unsigned width, unsigned height,
                               std::size_t pitch);
    static void audio_sample_callback(std::int16_t left, std::int16_t right);
    static std::size_t audio_batch_callback(const std::int16_t* data, std::size_t frames);
    static void input_poll_callback();
    static std::int16_t input_state_callback(unsigned port, unsigned device, unsigned index,
                                             unsigned id);

    std::unique_ptr<platform::dynamic_library> library_;
    std::unique_ptr<entry_points> api_;
    std::unique_ptr<platform::memory_file> game_file_;
    core_settings settings_;
    std::string library_path_;
    std::string name_, version_;
    bool needs_path_ = false;
    bool initialised_ = false;
    bool game_loaded_ = false;
    bool shutdown_requested_ = false;
    pixel_format format_ = pixel_format::xrgb1555;
    frame_view frame_;
    std::uint64_t frames_drawn_ = 0;
    double fps_ = 60.0;
    double sample_rate_ = 44100.0;
    unsigned base_width_ = 0, base_height_ = 0;
    float aspect_ = 0.0f;
    std::uint16_t buttons_[port_count] = {0, 0};
    std::vector<std::int16_t> audio_;
    std::map<std::string, std::string> variables_;
    std::set<unsigned> refused_;
    std::string game_path_;
};

}  // namespace rx::retro
