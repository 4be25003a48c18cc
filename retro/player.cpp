// rx_retro: the emulator program of the consoles Debian has libretro cores for. It drives rxlib in
// the required order, runs the game under the console's core in its own window, answers to the
// keys set on the console's controls screen and keeps the battery save on the game server.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "browser/controls/logic/binding_codec.h"
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
#include "retro/logic/core.h"
#include "retro/logic/picture.h"
#include "retro/logic/play_keys.h"
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

constexpr int window_width = 800;
constexpr int window_height = 600;
constexpr const char* log_name = "rx_retro_log.txt";
constexpr const char* caption = "Relicade";
// How often the save memory is compared with what was last stored.
constexpr double save_check_ms = 1000;
// Held down, the game runs at up to four times its speed, without sound.
constexpr SDLKey fast_forward_key = SDLK_TAB;
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

std::optional<std::string> settings_bytes(const char* file_name) {
    std::string bytes;
    if (rx::read_settings_file(folder() + file_name, bytes) != rx::settings_file::read) {
        return std::nullopt;
    }
    return bytes;
}

std::vector<pad_binding> bindings_for(const console_entry& console) {
    switch (console.settings) {
        case settings_kind::vba: {
            auto bytes = settings_bytes("vba.ini");
            return vba_bindings(bytes ? std::optional<std::string_view>(*bytes) : std::nullopt);
        }
        case settings_kind::zsnes: {
            auto bytes = settings_bytes("zinput.cfg");
            return zsnes_bindings(bytes ? std::optional<std::string_view>(*bytes) : std::nullopt);
        }
        case settings_kind::ootake: {
            auto bytes = settings_bytes("ootake.dat");
            return ootake_bindings(bytes ? std::optional<std::string_view>(*bytes) : std::nullopt);
        }
        case settings_kind::nester:
            return nester_bindings(rx::platform::user_registry(), rx::platform::keyboard_guid());
        case settings_kind::gens: {
            auto bytes = settings_bytes("gens.cfg");
            return gens_bindings(bytes ? std::optional<std::string_view>(*bytes) : std::nullopt);
        }
        case settings_kind::meka: {
            auto bytes = settings_bytes("meka.inp");
            return meka_bindings(bytes ? std::optional<std::string_view>(*bytes) : std::nullopt);
        }
    }
    return {};
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
};

void write_timings(const run_timings& t, const core& game) {
    std::string path = rx::platform::get_environment("RX_RETRO_TIMINGS");
    if (path.empty() || t.frames == 0) return;
    std::ofstream out(path, std::ios::app);
    char line[256];
    std::snprintf(line, sizeof line,
                  "start_epoch_ms=%.1f rx_init_ms=%.1f core_ready_ms=%.1f window_ms=%.1f "
                  "first_frame_epoch_ms=%.1f frames=%llu core_ms_per_frame=%.3f "
                  "frontend_ms_per_frame=%.3f fps=%.3f sound_rate=%d mean_queue=%.0f "
                  "underrun_frames=%llu\n",
                  t.start_epoch_ms, t.init_done_ms, t.core_ready_ms, t.window_ms,
                  t.first_frame_epoch_ms, static_cast<unsigned long long>(t.frames),
                  t.core_ms / t.frames, t.frontend_ms / t.frames, game.frames_per_second(),
                  t.sound_rate, t.queued_frames / t.frames,
                  static_cast<unsigned long long>(t.underrun_frames));
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
        restore_save();
        loop();
        timings_.underrun_frames = audio_.underrun_frames();
        timings_.sound_rate = audio_.rate();
        write_timings(timings_, game_);
        // The window goes at once; the last store of the save takes rxlib over a second.
        audio_.close();
        close_joysticks();
        for (SDL_Surface*& image : menu_images_) {
            if (image) SDL_FreeSurface(image);
            image = nullptr;
        }
        if (shadow_) SDL_FreeSurface(shadow_);
        shadow_ = nullptr;
        screen_ = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        store_at_end();
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

    bool handle_events() {
        SDL_Event event;
        bool running = true;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) running = false;
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
        bool moved = !(place == last_place_);
        if (moved) SDL_FillRect(target, nullptr, 0);
        if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) == -1) return;
        auto* origin = static_cast<unsigned char*>(target->pixels) +
                       static_cast<std::size_t>(place.y) * target->pitch + place.x * 4;
        scaler_.draw(frame, reinterpret_cast<std::uint32_t*>(origin), target->pitch, place);
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
        if (!direct_) SDL_BlitSurface(shadow_, nullptr, screen_, nullptr);
        if (moved) {
            SDL_Flip(screen_);
        } else {
            SDL_UpdateRect(screen_, place.x, place.y, static_cast<Uint32>(place.w),
                           static_cast<Uint32>(place.h));
        }
        last_place_ = place;
        if (timings_.first_frame_epoch_ms == 0) timings_.first_frame_epoch_ms = epoch_ms();
    }

    // Plays what the last tick left in samples_.
    void play_sound() {
        if (!audio_.is_open() || samples_.empty()) return;
        resampled_.clear();
        rate_controller control(audio_output::target_frames, audio_output::capacity_frames);
        resampler_->set_input_rate(game_.sample_rate());
        resampler_->process(samples_.data(), samples_.size() / 2, control.factor(audio_.queued()),
                            resampled_);
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
        std::uint64_t drawn = game_.frames_drawn();
        while (handle_events() && !game_.shutdown_requested()) {
            double start = now_ms();
            pad_state pads = read_input();
            if (combo_.update(pads, start)) menu_requested_ = true;
            if (menu_requested_) {
                menu_requested_ = false;
                if (!run_menu(pads)) break;
                // The time in the menu is not made up, and the picture is drawn whole again.
                combo_.reset();
                pacer = frame_pacer(game_.frames_per_second(), now_ms());
                last_place_ = rect{};
                continue;
            }
            double core_start = now_ms();
            const int ran = run_tick(game_, pads, key_held(fast_forward_key), samples_);
            double core_end = now_ms();
            if (game_.frames_drawn() != drawn) {
                drawn = game_.frames_drawn();
                draw();
            }
            play_sound();
            if (uploader_ && core_end - last_save_check >= save_check_ms) {
                last_save_check = core_end;
                keep_save(core_end);
            }
            double end = now_ms();
            timings_.frames += static_cast<std::uint64_t>(ran);
            timings_.queued_frames += static_cast<double>(audio_.queued());
            timings_.core_ms += core_end - core_start;
            timings_.frontend_ms += (end - start) - (core_end - core_start);
            pacer.set_rate(game_.frames_per_second());
            double wait = pacer.wait_ms(end);
            if (wait >= 1) rx::platform::sleep_ms(static_cast<unsigned>(wait));
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
    bool storing_ = false;  // a store runs on the worker and its outcome is not yet taken
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
    if (scheme && scheme->settings == settings_kind::meka &&
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
