// rx_retro: the emulator program of the consoles Debian has libretro cores for. It drives rxlib in
// the required order, runs the game under the console's core in its own window, answers to the
// keys set on the console's controls screen and keeps the battery save on the game server.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "emulators/binding_codec.h"
#include "platform/dynamic_library.h"
#include "platform/file.h"
#include "platform/input_guid.h"
#include "platform/message_box.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/thread.h"
#include "retro/audio_output.h"
#include "retro/logic/bindings.h"
#include "retro/logic/console.h"
#include "retro/logic/libretro_core.h"
#include "retro/logic/picture.h"
#include "retro/logic/play_keys.h"
#include "retro/logic/quick_state.h"
#include "retro/logic/save_file.h"
#include "retro/logic/save_sync.h"
#include "retro/logic/sega_consoles.h"
#include "retro/logic/sound.h"
#include "retro/logic/timing.h"
#include "rxlib/rxlib.h"

namespace {

using namespace rx::retro;

static_assert(hat_up == SDL_HAT_UP && hat_right == SDL_HAT_RIGHT && hat_down == SDL_HAT_DOWN &&
                  hat_left == SDL_HAT_LEFT,
              "the bindings' hat bits are SDL's");
static_assert(quick_save_sym == SDLK_F2 && quick_load_sym == SDLK_F4 &&
                  fast_forward_sym == SDLK_TAB && pause_menu_sym == SDLK_ESCAPE,
              "the keys of play are SDL's symbols");

constexpr int window_width = 800;
constexpr int window_height = 600;
constexpr const char* log_name = "rx_retro_log.txt";
constexpr const char* caption = "Relicade";
// How often the save memory is compared with what was last stored.
constexpr double save_check_ms = 1000;
// Held down, the game runs at up to four times its speed, without sound.
constexpr SDLKey fast_forward_key = SDLK_TAB;
// Notices run along the bottom of the window in colours none of the test games use, so a picture
// check can tell them from the game.
constexpr int notice_font_size = 16;
constexpr int notice_band_h = 30;
const SDL_Color notice_text_colour{255, 224, 120, 0};
// The pause menu: a panel in the middle of the window with its two buttons.
constexpr int menu_button_w = 150, menu_button_h = 40;
const SDL_Rect menu_panel{290, 225, 220, 150};
constexpr int menu_button_x = 325, menu_resume_y = 245, menu_quit_y = 315;

double epoch_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
}

double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

std::string folder() {
    return rx_get_diretory();
}

void log_line(const std::string& line) {
    std::ofstream out(folder() + log_name, std::ios::app | std::ios::binary);
    out << line << "\n";
}

// A failure the player must hear about: one line in the log, then a message box.
void tell_player(const std::string& message, const std::string& log_text) {
    log_line(log_text);
    rx::platform::message_box(message, caption);
}

// One exchange with the game server at a time, on a worker thread: rxlib holds each load or store
// for over a second, which neither the start of the game nor its frames should wait for.
class server_job {
  public:
    server_job() = default;
    // rxlib is not ended under a job that is still running.
    ~server_job() { wait(); }
    server_job(const server_job&) = delete;
    server_job& operator=(const server_job&) = delete;
    bool busy() const { return done_ && !done_->load(); }
    // Runs `body` unless a job is still running (false then); without a thread it runs here.
    bool start(std::function<void()> body) {
        if (busy()) return false;
        auto done = std::make_shared<std::atomic<bool>>(false);
        if (!rx::platform::start_thread(
                [body, done] {
                    body();
                    done->store(true);
                },
                rx::platform::thread_priority::normal)) {
            body();
            done->store(true);
        }
        done_ = done;
        return true;
    }
    // Every network wait in rxlib is bounded, so this ends.
    void wait() const {
        while (busy()) rx::platform::sleep_ms(2);
    }

  private:
    std::shared_ptr<std::atomic<bool>> done_;
};

// One save per game, named after it without folder parts.
std::string save_name() {
    std::string name = rx_get_game_name();
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':') c = '_';
    }
    return name + ".sav";
}

// Names this play's own save file apart from any other play of the game on this computer.
std::string play_token() {
    std::random_device random;
    const auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    char token[24];
    std::snprintf(token, sizeof token, "%08x%04x", random(), static_cast<unsigned>(ticks & 0xFFFF));
    return std::string(token) + ".play";
}

std::vector<pad_binding> bindings_for(const console_entry& console) {
    const rx::emulator_profile& emulator = *console.emulator;
    if (emulator.store == rx::settings_store::registry)
        return nester_bindings(rx::platform::user_registry(), rx::platform::keyboard_guid());
    std::string bytes;
    if (rx::read_settings_file(folder() + rx::settings_path(emulator), bytes) !=
        rx::settings_file::read)
        return file_bindings(emulator, std::nullopt);
    return file_bindings(emulator, bytes);
}

// Where the timings of a run go when a benchmark asks for them.
struct run_timings {
    double start_epoch_ms = 0;  // wall clock, comparable across processes
    double init_done_ms = 0;    // from the start: rx_init returned
    double core_ready_ms = 0;   // the core holds the game
    double window_ms = 0;       // the window is open
    double first_frame_epoch_ms = 0;
    std::uint64_t frames = 0;
    double core_ms = 0;        // inside retro_run
    double frontend_ms = 0;    // everything else a frame costs, waiting excluded
    double queued_frames = 0;  // sound queued, summed over the frames
    std::uint64_t underrun_frames = 0;
    int sound_rate = 0;
    // Once play has settled (the sound queue filled, the first frames out of the way):
    double settled_ms = 0;                // when, on the monotonic clock; 0 until then
    running_stats frame_interval;         // ms between frames shown
    std::uint64_t on_time_intervals = 0;  // of them, within 1 ms of the frame period
    running_stats update_ms;              // handing a frame to the display
    running_stats late_ms;                // waking after the frame's deadline
    running_stats sound_ratio;            // the rate controller's factor, per frame
    std::uint64_t underruns_at_settle = 0;
    // Device frames asked for and core frames run: at settling, and as of the last frame played.
    std::uint64_t requested_at_settle = 0, frames_at_settle = 0;
    std::uint64_t requested_last = 0, frames_last = 0;
    std::uint64_t sound_in_at_settle = 0, sound_in = 0;  // the core's sample frames, played ones
    double last_ms = 0;
};

// Play counts as settled this long after the first frame.
constexpr double settle_ms = 3000;

void write_timings(const run_timings& t, const core& game) {
    std::string path = rx::platform::get_environment("RX_RETRO_TIMINGS");
    if (path.empty() || t.frames == 0) return;
    std::ofstream out(path, std::ios::app);
    char line[512];
    std::snprintf(line, sizeof line,
                  "start_epoch_ms=%.1f rx_init_ms=%.1f core_ready_ms=%.1f window_ms=%.1f "
                  "first_frame_epoch_ms=%.1f frames=%llu core_ms_per_frame=%.3f "
                  "frontend_ms_per_frame=%.3f fps=%.3f sound_rate=%d mean_queue=%.0f "
                  "underrun_frames=%llu",
                  t.start_epoch_ms, t.init_done_ms, t.core_ready_ms, t.window_ms,
                  t.first_frame_epoch_ms, static_cast<unsigned long long>(t.frames),
                  t.core_ms / t.frames, t.frontend_ms / t.frames, game.frames_per_second(),
                  t.sound_rate, t.queued_frames / t.frames,
                  static_cast<unsigned long long>(t.underrun_frames));
    out << line;
    std::snprintf(line, sizeof line,
                  " settled_frames=%llu frame_interval_mean_ms=%.4f frame_interval_sd_ms=%.4f "
                  "frame_interval_max_ms=%.3f ratio_mean=%.6f ratio_sd=%.6f ratio_min=%.6f "
                  "ratio_max=%.6f settled_underrun_frames=%llu",
                  static_cast<unsigned long long>(t.frame_interval.count()),
                  t.frame_interval.mean(), t.frame_interval.deviation(), t.frame_interval.max(),
                  t.sound_ratio.mean(), t.sound_ratio.deviation(), t.sound_ratio.min(),
                  t.sound_ratio.max(),
                  static_cast<unsigned long long>(t.underrun_frames - t.underruns_at_settle));
    out << line;
    std::snprintf(line, sizeof line,
                  " settled_ms=%.1f on_time_intervals=%llu settled_device_frames=%llu "
                  "settled_core_frames=%llu "
                  "nominal_fps=%.4f core_sample_rate=%.1f settled_core_sound_frames=%llu "
                  "update_sd_ms=%.3f update_max_ms=%.2f late_sd_ms=%.3f late_max_ms=%.2f\n",
                  t.settled_ms > 0 ? t.last_ms - t.settled_ms : 0.0,
                  static_cast<unsigned long long>(t.on_time_intervals),
                  static_cast<unsigned long long>(t.requested_last - t.requested_at_settle),
                  static_cast<unsigned long long>(t.frames_last - t.frames_at_settle),
                  game.frames_per_second(), game.sample_rate(),
                  static_cast<unsigned long long>(t.sound_in - t.sound_in_at_settle),
                  t.update_ms.deviation(), t.update_ms.max(), t.late_ms.deviation(),
                  t.late_ms.max());
    out << line;
}

class player {
  public:
    player(const console_entry& console, core& game, server_job& server, const run_timings& start)
        : console_(console), game_(game), server_(server), timings_(start) {}

    int run(bool fullscreen) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == -1) {
            tell_player("The game window could not be opened.",
                        std::string("Failed to open the window - rx_retro: ") + SDL_GetError());
            return 1;
        }
        screen_ = SDL_SetVideoMode(window_width, window_height, 32,
                                   SDL_SWSURFACE | (fullscreen ? SDL_FULLSCREEN : 0));
        if (!screen_) {
            tell_player("The game window could not be opened.",
                        std::string("Failed to open the window - rx_retro: ") + SDL_GetError());
            return 1;
        }
        SDL_WM_SetCaption(rx_get_game_name(), nullptr);
        timings_.window_ms = epoch_ms() - timings_.start_epoch_ms;
        if (fullscreen) SDL_ShowCursor(SDL_DISABLE);
        direct_ = screen_->format->BytesPerPixel == 4 && screen_->format->Rmask == 0xFF0000 &&
                  screen_->format->Gmask == 0xFF00 && screen_->format->Bmask == 0xFF;
        if (!direct_) {
            shadow_ = SDL_CreateRGBSurface(SDL_SWSURFACE, window_width, window_height, 32, 0xFF0000,
                                           0xFF00, 0xFF, 0);
        }
        open_joysticks();
        bindings_ = bindings_for(console_);
        for (const std::string& line : unplayable_bindings(bindings_, console_.console_name)) {
            log_line(line);
        }
        std::string error;
        if (!audio_.open(48000, error)) {
            log_line("No sound - rx_retro: " + error);
        }
        resampler_ = std::make_unique<resampler>(game_.sample_rate(),
                                                 audio_.is_open() ? audio_.rate() : 48000);
        open_font();
        restore_save();
        notices_.show(keys_notice, now_ms(), keys_notice_ms);
        loop();
        timings_.underrun_frames = audio_.underrun_frames();
        timings_.sound_rate = audio_.rate();
        write_timings(timings_, game_);
        // The window goes at once; the last store of the save takes rxlib over a second.
        audio_.close();
        close_joysticks();
        close_font();
        for (SDL_Surface*& image : menu_images_) {
            if (image) SDL_FreeSurface(image);
            image = nullptr;
        }
        if (shadow_) SDL_FreeSurface(shadow_);
        shadow_ = nullptr;
        screen_ = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        store_at_end();
        if (!state_file_.empty()) std::remove((folder() + state_file_).c_str());
        return 0;
    }

  private:
    void open_joysticks() {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == -1) return;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_Joystick* j = SDL_JoystickOpen(i)) joysticks_.push_back(j);
        }
    }

    void close_joysticks() {
        for (SDL_Joystick* j : joysticks_) SDL_JoystickClose(j);
        joysticks_.clear();
    }

    SDL_Joystick* joystick(int index) const {
        return index >= 0 && index < static_cast<int>(joysticks_.size()) ? joysticks_[index]
                                                                         : nullptr;
    }

    pad_state read_input() {
        int key_count = 0;
        const Uint8* keys = SDL_GetKeyState(&key_count);
        input_reader reader;
        reader.key = [&](int sym) { return sym >= 0 && sym < key_count && keys[sym] != 0; };
        reader.button = [&](int j, int b) {
            SDL_Joystick* stick = joystick(j);
            return stick && b < SDL_JoystickNumButtons(stick) &&
                   SDL_JoystickGetButton(stick, b) != 0;
        };
        reader.axis = [&](int j, int a) -> int {
            SDL_Joystick* stick = joystick(j);
            return stick && a < SDL_JoystickNumAxes(stick) ? SDL_JoystickGetAxis(stick, a) : 0;
        };
        reader.hat = [&](int j) -> unsigned {
            SDL_Joystick* stick = joystick(j);
            return stick && SDL_JoystickNumHats(stick) > 0 ? SDL_JoystickGetHat(stick, 0) : 0;
        };
        return read_pads(bindings_, reader);
    }

    // The save was asked for while the core loaded; the game starts once it is in. Only a save
    // read whole, or none at all, lets this play store over the server's.
    void restore_save() {
        save_name_ = save_name();
        play_file_ = save_name_ + "." + play_token();
        state_name_ = state_name(save_name_);
        server_.wait();
        if (game_.save_size() == 0) return;
        const auto status = static_cast<load_status>(rx_get_load_status());
        const int size = rx_get_load_size();
        const unpacked_save server = unpack_save(std::string_view(
            reinterpret_cast<const char*>(rx_get_load_location()),
            status == load_status::whole && size > 0 ? static_cast<std::size_t>(size) : 0));
        std::optional<std::string> local_bytes = read_local_copy();
        const unpacked_save local = unpack_save(local_bytes ? *local_bytes : std::string());
        const bool local_usable = !local.memory.empty() && local.memory.size() <= game_.save_size();
        save_start start =
            plan_save_start(status, server.memory.size(), game_.save_size(), local_usable);
        const unpacked_save* from = start.from == save_start::source::server  ? &server
                                    : start.from == save_start::source::local ? &local
                                                                              : nullptr;
        if (from) {
            game_.write_save(from->memory.data(), from->memory.size());
            if (!from->clock.empty() && !game_.write_rtc(from->clock.data(), from->clock.size())) {
                log_line("The save " + save_name_ + " holds a clock of " +
                         std::to_string(from->clock.size()) +
                         " bytes this cartridge does not have; it is not used - rx_retro");
            }
        }
        if (!start.notice.empty()) {
            tell_in_window(start.notice, "Save " + save_name_ + " (load status " +
                                             std::to_string(static_cast<int>(status)) + ", size " +
                                             std::to_string(size) + ")");
        }
        uploader_ = std::make_unique<save_uploader>(current_save(), start.upload, now_ms());
    }

    // The save memory with the cartridge clock, as one file.
    std::vector<unsigned char> current_save() const {
        return pack_save(game_.read_save(), game_.read_rtc());
    }

    // The game's copy on this computer; none when missing, unreadable or larger than any save.
    std::optional<std::string> read_local_copy() const {
        std::string bytes;
        if (rx::platform::read_whole_file(folder() + save_name_, bytes, 2u << 20) !=
            rx::platform::read_status::ok) {
            return std::nullopt;
        }
        return bytes;
    }

    // Shown for the rest of play in the window's title, where the player sees it without the game
    // stopping; the log keeps the detail.
    void tell_in_window(const std::string& notice, const std::string& detail) {
        log_line(detail + ": " + notice + " - rx_retro");
        if (screen_)
            SDL_WM_SetCaption((std::string(rx_get_game_name()) + " - " + notice).c_str(), nullptr);
    }

    // The play's own file is what its stores send, so another play of the game on this computer
    // never hands this one's server its bytes; the game's copy is what the next play falls back
    // on when the server cannot be read.
    bool write_local(const std::vector<unsigned char>& bytes, double now) {
        const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        std::string failed = rx::platform::replace_file(folder() + play_file_, view);
        if (!failed.empty()) {
            log_line("Failed to write " + play_file_ + " (" + failed + ") - rx_retro");
            uploader_->local_failed(now);
            return false;
        }
        play_file_written_ = true;
        uploader_->local_written(bytes, now);
        failed = rx::platform::replace_file(folder() + save_name_, view);
        copy_current_ = failed.empty();
        if (!copy_current_)
            log_line("Failed to write " + save_name_ + " (" + failed + ") - rx_retro");
        return true;
    }

    void start_store_here() {
        uploader_->upload_started();
        rx_save_game_as(play_file_.c_str(), save_name_.c_str());
    }

    // The outcome of a store that ran on the worker, once it has ended.
    void collect_store(double now) {
        if (!storing_ || server_.busy()) return;
        storing_ = false;
        finish_store(now);
    }

    void finish_store(double now) {
        const auto status = static_cast<store_status>(rx_get_save_status());
        std::string notice = uploader_->upload_finished(status, now);
        if (status != store_status::stored) {
            log_line("The save " + save_name_ + " was not kept by the server (status " +
                     std::to_string(static_cast<int>(status)) + ")" +
                     (uploader_->uploads_allowed() ? "; it is tried again" : "") + " - rx_retro");
        }
        if (!notice.empty()) tell_in_window(notice, "Save " + save_name_);
    }

    // Every check: the local copy when the memory changed, then a store when one is due.
    void keep_save(double now) {
        collect_store(now);
        std::vector<unsigned char> bytes = current_save();
        if (uploader_->local_due(bytes, now)) write_local(bytes, now);
        if (!uploader_->upload_due(now) || server_.busy()) return;
        uploader_->upload_started();
        const std::string file = play_file_, name = save_name_;
        storing_ = true;
        server_.start([file, name] { rx_save_game_as(file.c_str(), name.c_str()); });
    }

    // At the end the last change is written and, when the server has not confirmed it, stored
    // once more here.
    void store_at_end() {
        if (!uploader_) return;
        server_.wait();
        collect_store(now_ms());
        std::vector<unsigned char> bytes = current_save();
        // A failed write leaves the last copy on disk, which may still be news to the server.
        if (uploader_->local_due(bytes, std::numeric_limits<double>::infinity()))
            write_local(bytes, now_ms());
        if (uploader_->final_upload_wanted()) {
            start_store_here();
            finish_store(now_ms());
        }
        // The game's copy holds the same bytes; the play's own file has done its work.
        if (play_file_written_ && copy_current_) std::remove((folder() + play_file_).c_str());
    }

    void open_font() {
        // rxlib may hold the font library for its own window; only a start made here is ended here.
        if (!TTF_WasInit()) {
            if (TTF_Init() == -1) {
                log_line(std::string("No notices in the window - rx_retro: ") + TTF_GetError());
                return;
            }
            ttf_started_ = true;
        }
        font_ = TTF_OpenFont((folder() + "NEURPOLI.TTF").c_str(), notice_font_size);
        if (!font_) log_line(std::string("No notices in the window - rx_retro: ") + TTF_GetError());
    }

    void close_font() {
        if (notice_image_) SDL_FreeSurface(notice_image_);
        notice_image_ = nullptr;
        if (font_) TTF_CloseFont(font_);
        font_ = nullptr;
        if (ttf_started_) TTF_Quit();
        ttf_started_ = false;
    }

    // The current notice in a band along the bottom of the window; false when there is none.
    bool draw_notice(SDL_Rect& band) {
        const std::string& text = notices_.current(now_ms());
        if (text.empty() || !font_) return false;
        if (text != notice_text_ || !notice_image_) {
            if (notice_image_) SDL_FreeSurface(notice_image_);
#ifdef _WIN32
            // The Windows folder's SDL_ttf draws solid text only.
            notice_image_ = TTF_RenderText_Solid(font_, text.c_str(), notice_text_colour);
#else
            notice_image_ = TTF_RenderText_Blended(font_, text.c_str(), notice_text_colour);
#endif
            notice_text_ = text;
        }
        band = SDL_Rect{0, static_cast<Sint16>(window_height - notice_band_h), window_width,
                        notice_band_h};
        SDL_FillRect(screen_, &band, SDL_MapRGB(screen_->format, 18, 16, 62));
        SDL_Rect edge{band.x, band.y, band.w, 2};
        SDL_FillRect(screen_, &edge, SDL_MapRGB(screen_->format, 150, 60, 200));
        if (notice_image_) {
            SDL_Rect at{
                static_cast<Sint16>((window_width - notice_image_->w) / 2),
                static_cast<Sint16>(band.y + 2 + (notice_band_h - 2 - notice_image_->h) / 2), 0, 0};
            SDL_BlitSurface(notice_image_, nullptr, screen_, &at);
        }
        return true;
    }

    // Shown briefly over the picture and kept in the log.
    void notice(const std::string& text) {
        log_line("Quick save " + state_name_ + ": " + text + " - rx_retro");
        notices_.show(text, now_ms());
        // Without the font the title says it.
        if (!font_ && screen_)
            SDL_WM_SetCaption((std::string(rx_get_game_name()) + " - " + text).c_str(), nullptr);
    }

    // The state is taken the moment the key goes down; it reaches the server once the worker is
    // free.
    void quick_save_pressed() {
        if (quick_.waiting() || quick_.in_flight()) {
            notice("Still busy with the last quick save or load");
            return;
        }
        std::string refusal = quick_save_refusal(game_.state_size());
        std::vector<unsigned char> state;
        if (refusal.empty()) {
            state = game_.save_state();
            if (state.empty()) refusal = "Not saved: the emulator could not save its state";
        }
        if (refusal.empty()) refusal = quick_save_refusal(state.size());
        if (refusal.empty()) {
            if (state_file_.empty()) state_file_ = state_name_ + "." + play_token();
            const std::string failed = rx::platform::replace_file(
                folder() + state_file_,
                std::string_view(reinterpret_cast<const char*>(state.data()), state.size()));
            if (!failed.empty()) {
                log_line("Failed to write " + state_file_ + " (" + failed + ") - rx_retro");
                refusal = quick_save_outcome(store_status::not_sent);
            }
        }
        if (!refusal.empty()) {
            notice(refusal);
            return;
        }
        quick_.ask(quick_requests::kind::save);
        notices_.show("Saving...", now_ms(), 60000);
    }

    void quick_load_pressed() {
        if (!quick_.ask(quick_requests::kind::load)) {
            notice("Still busy with the last quick save or load");
            return;
        }
        notices_.show("Loading...", now_ms(), 60000);
    }

    // Takes the answer of a quick save or load that ended, and starts the one waiting once the
    // server is free. A battery store that ended is taken first: its status is read from the
    // same place.
    void serve_quick(double now) {
        if (quick_.in_flight() && !server_.busy()) finish_quick();
        if (!quick_.waiting() || server_.busy()) return;
        if (uploader_) collect_store(now);
        const std::optional<quick_requests::kind> what = quick_.start();
        const std::string name = state_name_, file = state_file_;
        if (what == quick_requests::kind::save) {
            server_.start([file, name] { rx_save_game_as(file.c_str(), name.c_str()); });
        } else {
            server_.start([name] { rx_load_game(name.c_str()); });
        }
    }

    void finish_quick() {
        const std::optional<quick_requests::kind> done = quick_.finished();
        if (done == quick_requests::kind::save) {
            std::remove((folder() + state_file_).c_str());
            notice(quick_save_outcome(static_cast<store_status>(rx_get_save_status())));
            return;
        }
        const auto status = static_cast<load_status>(rx_get_load_status());
        const int size = rx_get_load_size();
        bool applied = false;
        if (status == load_status::whole && size > 0) {
            applied = game_.load_state(rx_get_load_location(), static_cast<std::size_t>(size));
        }
        notice(quick_load_outcome(
            status, status == load_status::whole && size > 0 ? static_cast<std::size_t>(size) : 0,
            applied));
    }

    bool handle_events() {
        SDL_Event event;
        bool running = true;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) running = false;
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_F2) quick_save_pressed();
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_F4) quick_load_pressed();
            // Escape asks first: a stray press must not end a game in the middle.
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
                // What follows is the menu's to read.
                menu_requested_ = true;
                break;
            }
        }
        return running;
    }

    void draw() {
        const frame_view& frame = game_.frame();
        rect place = picture_rect(frame.width, frame.height, game_.aspect_ratio(), window_width,
                                  window_height);
        SDL_Surface* target = direct_ ? screen_ : shadow_;
        if (!target) return;
        // A notice that went leaves its band to be drawn over whole.
        if (notices_.take_cleared()) last_place_ = rect{};
        bool moved = !(place == last_place_);
        if (moved) SDL_FillRect(target, nullptr, 0);
        if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) == -1) return;
        auto* origin = static_cast<unsigned char*>(target->pixels) +
                       static_cast<std::size_t>(place.y) * target->pitch + place.x * 4;
        scaler_.draw(frame, reinterpret_cast<std::uint32_t*>(origin), target->pitch, place);
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
        if (!direct_) SDL_BlitSurface(shadow_, nullptr, screen_, nullptr);
        SDL_Rect band{};
        const bool noticed = draw_notice(band);
        const double update_start = now_ms();
        if (moved) {
            SDL_Flip(screen_);
        } else {
            SDL_Rect areas[2] = {{static_cast<Sint16>(place.x), static_cast<Sint16>(place.y),
                                  static_cast<Uint16>(place.w), static_cast<Uint16>(place.h)},
                                 band};
            SDL_UpdateRects(screen_, noticed ? 2 : 1, areas);
        }
        last_place_ = place;
        if (timings_.first_frame_epoch_ms == 0) timings_.first_frame_epoch_ms = epoch_ms();
        const double shown = now_ms();
        if (timings_.settled_ms > 0) timings_.update_ms.add(shown - update_start);
        if (timings_.settled_ms > 0 && last_shown_ms_ > 0) {
            timings_.frame_interval.add(shown - last_shown_ms_);
            if (std::abs(shown - last_shown_ms_ - 1000 / game_.frames_per_second()) <= 1)
                ++timings_.on_time_intervals;
        }
        last_shown_ms_ = shown;
        if (first_shown_ms_ == 0) first_shown_ms_ = shown;
    }

    // Plays what the last tick left in samples_.
    void play_sound() {
        if (!audio_.is_open() || samples_.empty()) return;
        resampled_.clear();
        rate_controller control(audio_output::target_frames, audio_output::capacity_frames);
        resampler_->set_input_rate(game_.sample_rate());
        const double factor = control.factor(audio_.queued());
        timings_.sound_in += samples_.size() / 2;
        if (timings_.settled_ms > 0) timings_.sound_ratio.add(factor);
        resampler_->process(samples_.data(), samples_.size() / 2, factor, resampled_);
        audio_.push(resampled_);
    }

    bool key_held(SDLKey key) const {
        int count = 0;
        const Uint8* keys = SDL_GetKeyState(&count);
        return key < count && keys[key] != 0;
    }

    SDL_Surface* menu_image(int index, const char* file_name) {
        if (!menu_images_[index]) {
            const std::string path = folder() + "images/" + file_name;
            if (SDL_Surface* loaded = IMG_Load(path.c_str())) {
                menu_images_[index] = SDL_DisplayFormat(loaded);
                SDL_FreeSurface(loaded);
                if (menu_images_[index]) {
                    SDL_SetColorKey(menu_images_[index], SDL_SRCCOLORKEY,
                                    SDL_MapRGB(menu_images_[index]->format, 0, 255, 255));
                }
            }
        }
        return menu_images_[index];
    }

    void draw_menu() {
        SDL_Rect panel = menu_panel;
        SDL_FillRect(screen_, &panel, SDL_MapRGB(screen_->format, 150, 60, 200));
        SDL_Rect inside{static_cast<Sint16>(panel.x + 3), static_cast<Sint16>(panel.y + 3),
                        static_cast<Uint16>(panel.w - 6), static_cast<Uint16>(panel.h - 6)};
        SDL_FillRect(screen_, &inside, SDL_MapRGB(screen_->format, 18, 16, 62));
        const bool resume = menu_.selected() == pause_menu::item::resume;
        const struct {
            const char* file;
            int y;
            bool chosen;
        } buttons[] = {{"button_resume.png", menu_resume_y, resume},
                       {"button_quit.png", menu_quit_y, !resume}};
        for (int i = 0; i < 2; ++i) {
            SDL_Surface* image = menu_image(i, buttons[i].file);
            // The chosen button shows its hover frame, the other its normal one.
            SDL_Rect frame{static_cast<Sint16>(buttons[i].chosen ? 2 * menu_button_w : 0), 0,
                           menu_button_w, menu_button_h};
            SDL_Rect at{menu_button_x, static_cast<Sint16>(buttons[i].y), 0, 0};
            if (image) SDL_BlitSurface(image, &frame, screen_, &at);
        }
        SDL_UpdateRect(screen_, panel.x, panel.y, panel.w, panel.h);
    }

    // The game stands still under the menu until the player resumes (true) or quits (false).
    bool run_menu(const pad_state& held) {
        menu_.open(held);
        for (;;) {
            std::vector<pause_menu::input> inputs;
            SDL_Event event;
            while (SDL_PollEvent(&event)) {
                if (event.type == SDL_QUIT) return false;
                if (event.type != SDL_KEYDOWN) continue;
                switch (event.key.keysym.sym) {
                    case SDLK_UP:
                    case SDLK_LEFT:
                        inputs.push_back(pause_menu::input::up);
                        break;
                    case SDLK_DOWN:
                    case SDLK_RIGHT:
                        inputs.push_back(pause_menu::input::down);
                        break;
                    case SDLK_RETURN:
                    case SDLK_KP_ENTER:
                        inputs.push_back(pause_menu::input::confirm);
                        break;
                    case SDLK_ESCAPE:
                        inputs.push_back(pause_menu::input::back);
                        break;
                    default:
                        break;
                }
            }
            for (pause_menu::input in : menu_.pad_inputs(read_input())) inputs.push_back(in);
            for (pause_menu::input in : inputs) {
                const pause_menu::result result = menu_.press(in);
                if (result == pause_menu::result::resume) return true;
                if (result == pause_menu::result::quit) return false;
            }
            if (game_.shutdown_requested()) return false;
            draw_menu();
            rx::platform::sleep_ms(16);
        }
    }

    void loop() {
        frame_pacer pacer(game_.frames_per_second(), now_ms());
        double last_save_check = now_ms();
        pad_state menu_pads;
        double core_start = 0, core_end = 0;
        frame_hooks hooks;
        hooks.read_pads = [this] { return read_input(); };
        hooks.admit = [&](const pad_state& pads) {
            if (combo_.update(pads, now_ms())) menu_requested_ = true;
            menu_pads = pads;
            core_start = now_ms();
            return !menu_requested_;
        };
        hooks.show = [&] {
            core_end = now_ms();
            draw();
        };
        while (handle_events() && !game_.shutdown_requested()) {
            double start = now_ms();
            core_end = 0;
            const int ran = play_frame(game_, hooks, key_held(fast_forward_key), samples_);
            if (ran == 0) {
                menu_requested_ = false;
                // The sound stops with the game rather than running dry under the menu.
                audio_.pause();
                const bool resumed = run_menu(menu_pads);
                last_shown_ms_ = 0;
                if (!resumed) break;
                // The time in the menu is not made up, and the picture is drawn whole again.
                combo_.reset();
                pacer = frame_pacer(game_.frames_per_second(), now_ms());
                last_place_ = rect{};
                continue;
            }
            if (core_end == 0) core_end = now_ms();
            if (timings_.settled_ms == 0 && first_shown_ms_ > 0 &&
                core_end - first_shown_ms_ >= settle_ms) {
                timings_.settled_ms = core_end;
                timings_.underruns_at_settle = audio_.underrun_frames();
                timings_.requested_at_settle = audio_.requested_frames();
                // From the next frame on: the settling moment ends this one.
                timings_.frames_at_settle = timings_.frames + static_cast<std::uint64_t>(ran);
                timings_.sound_in_at_settle = timings_.sound_in + samples_.size() / 2;
            }
            play_sound();
            serve_quick(core_end);
            if (uploader_ && core_end - last_save_check >= save_check_ms) {
                last_save_check = core_end;
                keep_save(core_end);
            }
            double end = now_ms();
            timings_.frames += static_cast<std::uint64_t>(ran);
            timings_.queued_frames += static_cast<double>(audio_.queued());
            timings_.core_ms += core_end - core_start;
            timings_.frontend_ms += (end - start) - (core_end - core_start);
            timings_.requested_last = audio_.requested_frames();
            timings_.frames_last = timings_.frames;
            timings_.last_ms = end;
            pacer.set_rate(game_.frames_per_second());
            // To the deadline itself, not a whole millisecond short of it: a frame shown a fraction
            // early one time and late the next is the unevenness a player sees.
            const double wait = pacer.wait_ms(end);
            if (wait > 0)
                std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(wait));
            if (wait > 0 && timings_.settled_ms > 0) timings_.late_ms.add(now_ms() - end - wait);
            pacer.frame_done(now_ms());
        }
    }

    const console_entry& console_;
    core& game_;
    server_job& server_;
    SDL_Surface* screen_ = nullptr;
    SDL_Surface* shadow_ = nullptr;
    bool direct_ = true;
    rect last_place_;
    picture_scaler scaler_;
    std::vector<SDL_Joystick*> joysticks_;
    std::vector<pad_binding> bindings_;
    combo_hold combo_;
    pause_menu menu_;
    bool menu_requested_ = false;
    SDL_Surface* menu_images_[2] = {nullptr, nullptr};
    audio_output audio_;
    std::unique_ptr<resampler> resampler_;
    std::vector<std::int16_t> samples_, resampled_;
    std::string save_name_;
    std::string play_file_;  // this play's own copy, the one its stores send
    bool play_file_written_ = false;
    bool copy_current_ = false;  // the game's copy holds what the play's own file holds
    std::unique_ptr<save_uploader> uploader_;
    bool storing_ = false;    // a store runs on the worker and its outcome is not yet taken
    std::string state_name_;  // the quick save's name on the server
    std::string state_file_;  // the quick save on its way there, in this play's own file
    quick_requests quick_;
    notice_board notices_;
    TTF_Font* font_ = nullptr;
    bool ttf_started_ = false;
    double first_shown_ms_ = 0, last_shown_ms_ = 0;  // monotonic clock; 0 before any
    SDL_Surface* notice_image_ = nullptr;
    std::string notice_text_;  // what notice_image_ shows
    run_timings timings_;
};

// Everything between rx_init and rx_shutdown; a failure has been told to the player on return.
int play(const char* launch, bool fullscreen, run_timings timings) {
    // The battery save is fetched while the core loads.
    server_job server;
    const std::string name = save_name();
    server.start([name] { rx_load_game(name.c_str()); });
    const std::string_view image(reinterpret_cast<const char*>(rx_get_game_location()),
                                 static_cast<std::size_t>(std::max(rx_get_game_size(), 0)));
    std::optional<console_entry> console = console_of_game(launch, image);
    if (!console && console_of_launch(launch)) {
        // A ColecoVision image under a Sega-looking id: the console has no core, which the player
        // hears as for any missing core.
        tell_player(
            "The Colecovision emulator is not installed. Please reinstall Relicade.",
            std::string("No core for the ColecoVision game ") + rx_get_game_name() + " - rx_retro");
        return 1;
    }
    if (!console) {
        tell_player("This game's console cannot be played with this emulator.",
                    std::string("No core for the launch argument's scheme - rx_retro"));
        return 1;
    }
    const std::string console_name(console->console_name);
    core_settings settings;
    settings.system_folder = folder();
    settings.save_folder = folder();
    settings.game_label = rx_get_game_name();
    std::set<std::string> logged;
    settings.log = [&logged](const std::string& line) {
        // A core repeating itself every frame must not fill the disk.
        if (logged.size() < 200 && logged.insert(line).second) log_line(line);
    };
    const std::string library =
        rx::platform::join_path(rx::platform::join_path(folder(), cores_folder),
                                rx::platform::library_file_name(console->core_library));
    std::string error;
    std::unique_ptr<core> game = core::open(library, settings, error);
    if (!game) {
        bool missing = !std::ifstream(library).good();
        if (missing) {
            tell_player(
                "The " + console_name + " emulator is not installed. Please reinstall Relicade.",
                "Missing core " + library + " - rx_retro");
        } else {
            tell_player("The " + console_name + " emulator could not be started.",
                        "Failed to start core " + library + ": " + error + " - rx_retro");
        }
        return 1;
    }
    if (!game->load_game(rx_get_game_location(), static_cast<std::size_t>(rx_get_game_size()),
                         error)) {
        tell_player("This game could not be started: the " + console_name +
                        " emulator does not recognise it.",
                    "The core " + game->name() + " refused the game " + rx_get_game_name() + ": " +
                        error + " - rx_retro");
        return 1;
    }
    timings.core_ready_ms = epoch_ms() - timings.start_epoch_ms;
    player p(*console, *game, server, timings);
    return p.run(fullscreen);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s LAUNCH_ARGUMENT\n", argc > 0 ? argv[0] : "rx_retro");
        return 2;
    }
    // The ColecoVision shares MEKA's name and scheme but has no core: its games stay with the
    // stand-in emulator beside this program, which its id names before any image is fetched.
    const std::string_view launch(argv[1]);
    const std::optional<console_entry> scheme = console_of_launch(launch);
    if (scheme && scheme->emulator->name == "meka" &&
        is_colecovision_id(game_id_of_launch(launch))) {
        if (auto here = rx::platform::executable_directory()) {
            rx::platform::run_instead(
                rx::platform::join_path(*here, rx::platform::program_file_name("rx_host")),
                argv[1]);
        }
    }
    // Some cores print to standard output; it stays clean for whoever started the program.
    rx::platform::discard_standard_output();
    // The same switch the stand-in emulator reads: the launch argument carries no display mode.
    const bool fullscreen = rx::platform::get_environment("RX_HOST_FULLSCREEN") == "1";
    run_timings timings;
    timings.start_epoch_ms = epoch_ms();
    rx_init(argv[1], fullscreen ? 1 : 0);
    timings.init_done_ms = epoch_ms() - timings.start_epoch_ms;
    rx_close_window();
    play(argv[1], fullscreen, timings);
    rx_shutdown();
    return 0;
}
