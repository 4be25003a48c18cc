// The updater's window: 800 x 600 like the browser's, with the counter at (300, 480) and the bar in
// its box at (100, 424).
#include "updater/window.h"

#include <SDL_net.h>

#include <exception>

#include "common/guard.h"
#include "common/program_folder.h"
#include "platform/path.h"
#include "updater/logic/manifest.h"
#include "widgets/image.h"

namespace rx::updater {

namespace {

constexpr int width = 800;
constexpr int height = 600;
constexpr int depth = 32;
constexpr Uint32 frame_ms = 16;
constexpr SDL_Color white{255, 255, 255, 0};

}  // namespace

update_window::~update_window() {
    clean_up();
}

bool update_window::init(bool fullscreen) {
    // A window half set up cannot show an update: this is a failure, not a success.
    return run_guarded_or(false, "Unknown Exception in update - init", [&] {
        if (SDL_Init(SDL_INIT_EVERYTHING) == -1) {
            log_error("Failed it init() SDL in update - init");
            return false;
        }
        started_ = true;
        screen_ = SDL_SetVideoMode(width, height, depth, fullscreen ? SDL_FULLSCREEN : 0);
        if (!screen_) {
            log_error("Failed to create screen in update - init");
            return false;
        }
        if (TTF_Init() == -1) {
            log_error("Failed to init TTF in update - init");
            return false;
        }
        ttf_started_ = true;
        if (SDLNet_Init() == -1) {
            log_error("Failed to init SDLNet in update - init");
            return false;
        }
        net_started_ = true;
        background_ = load_image("background_update.png");
        if (!background_) {
            log_error("Failed to load background in update - init");
            return false;
        }
        if (const auto dir = get_directory()) {
            font_ = TTF_OpenFont(platform::join_path(*dir, "NEURPOLI.TTF").c_str(), 24);
            if (!font_) {
                log_error("Failed to load font in update - init");
                return false;
            }
        }
        if (!fullscreen) SDL_WM_SetCaption("Relicade", nullptr);
        border_ = load_image("progress_bar_border.png");
        bar_ = load_image("progress_bar.png");
        view_ = SDL_Rect{600, 0, 600, 40};
        return true;
    });
}

bool update_window::show() {
    return run_guarded_or(false, "Unknown Exception in update - show", [&] {
        if (!screen_) return false;
        blit_at(0, 0, background_, screen_);
        if (counter_) blit_at(300, 480, counter_, screen_);
        blit_at(96, 420, border_, screen_);
        blit_at(100, 424, bar_, screen_, &view_);
        ++redraws_;
        if (flip_(screen_) == -1) {
            // A display that refuses frames tends to refuse them all: one line says it.
            if (!flip_failure_logged_) log_error("Failed to Flip SDL in update - main");
            flip_failure_logged_ = true;
            return false;
        }
        return true;
    });
}

bool update_window::update_status(std::int64_t done, std::int64_t total) {
    return run_guarded_or(false, "Unknown Exception in update - update_status", [&] {
        view_.x = static_cast<Sint16>(bar_view_x(done, total));
        const Uint32 now = SDL_GetTicks();
        // The counter is exact whenever it is drawn; drawing more often than the display shows
        // frames would only slow the download. Bytes past an understated total are paced too.
        const bool reaches_total = done == total || (done > total && drawn_done_ < total);
        if (!drawn_once_ || reaches_total || now - last_draw_ >= frame_ms) {
            free_surface(counter_);
            if (font_)
                counter_ = TTF_RenderText_Solid(font_, counter_text(done, total).c_str(), white);
            drawn_once_ = true;
            drawn_done_ = done;
            last_draw_ = now;
            // A frame the display refused is not a failed download (show logged it).
            show();
        }
        SDL_Event event;
        if (SDL_PollEvent(&event) && event.type == SDL_QUIT) return false;
        return true;
    });
}

void update_window::clean_up() {
    free_surface(counter_);
    free_surface(background_);
    free_surface(border_);
    free_surface(bar_);
    if (font_) TTF_CloseFont(font_);
    font_ = nullptr;
    // The screen surface belongs to SDL and goes with SDL_Quit.
    screen_ = nullptr;
    if (ttf_started_) TTF_Quit();
    ttf_started_ = false;
    if (net_started_) SDLNet_Quit();
    net_started_ = false;
    if (started_) SDL_Quit();
    started_ = false;
}

}  // namespace rx::updater
