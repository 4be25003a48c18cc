// Loading window: embedded artwork decoded from memory, a white 16-point status and progress line,
// the bar.
#include "rxlib/window.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include <vector>

#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/resources.h"
#include "rxlib/library_state.h"
#include "rxlib/logic/protocol.h"

namespace rx::lib::window {
namespace {

struct geometry {
    int width, height;
    SDL_Rect bar, frame, button;
    int progress_centre, progress_y;
    int frame_id, strip_id, background_id;
};

constexpr geometry windowed{
    400, 150, {50, 50, 300, 20}, {48, 48, 304, 24}, {125, 105, 150, 40}, 200, 75, 1005, 1004, 1001};
constexpr geometry full_screen{
    800,  600, {100, 250, 600, 40}, {96, 246, 608, 48}, {325, 320, 150, 40}, 400, 300, 1007,
    1006, 1002};

struct state {
    const geometry* layout = &windowed;
    SDL_Surface* display = nullptr;
    SDL_Surface* background = nullptr;
    SDL_Surface* strip = nullptr;
    SDL_Surface* frame = nullptr;
    SDL_Surface* button = nullptr;
    TTF_Font* font = nullptr;
    std::vector<unsigned char>
        font_bytes;  // TTF reads the face lazily, so its bytes live as long as the font
    std::string status;
    std::string progress;
    bool progress_visible = false;
    int offset = 300;
    std::uint32_t last_draw_ms = 0;
};

state& self() {
    static state s;
    return s;
}

const SDL_Color white{255, 255, 255, 0};

// The module whose resources are ours, whichever program loaded us.
const void* own_module() {
    return reinterpret_cast<const void*>(&self);
}

std::optional<std::string_view> resource(int id, const std::string& suffix) {
    platform::resource_lookup found = platform::load_resource(id, own_module());
    if (!found.bytes || found.bytes->empty()) {
        // The message names the step that failed, so a damaged installation can be told apart.
        platform::resource_step step = found.failed == platform::resource_step::none
                                           ? platform::resource_step::size
                                           : found.failed;
        show_message(platform::resource_step_name(step) + suffix, "Failed");
        return std::nullopt;
    }
    return found.bytes;
}

SDL_Surface* load_image(int id) {
    std::optional<std::string_view> bytes = resource(id, "");
    if (!bytes) return nullptr;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
    if (!rw) {
        show_message("SDL_RWFromConstMem", "Failed");
        return nullptr;
    }
    SDL_Surface* image = IMG_Load_RW(rw, 1);
    if (!image) show_message("IMG_Load_RW", "Failed");
    return image;
}

bool load_font() {
    state& s = self();
    std::optional<std::string_view> bytes = resource(1003, " - Font");
    if (!bytes) return false;
    s.font_bytes.assign(bytes->begin(), bytes->end());
    SDL_RWops* rw = SDL_RWFromMem(s.font_bytes.data(), static_cast<int>(s.font_bytes.size()));
    if (!rw) {
        show_message("SDL_RWFromConstMem - Font", "Failed");
        return false;
    }
    s.font = TTF_OpenFontRW(rw, 1, 16);
    if (!s.font) {
        show_message("TTF_OpenFont", "Failed");
        return false;
    }
    return true;
}

void release(SDL_Surface*& surface) {
    if (surface) SDL_FreeSurface(surface);
    surface = nullptr;
}

void draw_text(const std::string& text, int x, int y) {
    state& s = self();
    if (text.empty() || !s.font) return;
    SDL_Surface* rendered = TTF_RenderText_Solid(s.font, text.c_str(), white);
    if (!rendered) return;
    SDL_Rect at{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_BlitSurface(rendered, nullptr, s.display, &at);
    SDL_FreeSurface(rendered);
}

void blit(SDL_Surface* surface, SDL_Rect at) {
    if (surface) SDL_BlitSurface(surface, nullptr, self().display, &at);
}

bool inside(const SDL_Rect& r, int x, int y) {
    return x > r.x && x < r.x + r.w && y > r.y && y < r.y + r.h;
}

}  // namespace

bool load_images(bool fullscreen) {
    state& s = self();
    s.layout = fullscreen ? &full_screen : &windowed;
    const geometry& g = *s.layout;
    s.display = SDL_SetVideoMode(g.width, g.height, 32, fullscreen ? SDL_FULLSCREEN : 0);
    if (!s.display) return false;
    if (!fullscreen) SDL_WM_SetCaption("Relicade", nullptr);
    if (!(s.background = load_image(g.background_id))) return false;
    if (!s.font && !load_font()) return false;
    s.offset = g.bar.w;
    // A fresh window starts with no texts and no bar, also when an earlier one ran in this process.
    s.status.clear();
    s.progress.clear();
    s.progress_visible = false;
    if (!(s.strip = load_image(g.strip_id))) return false;
    if (!(s.frame = load_image(g.frame_id))) return false;
    if (!(s.button = load_image(1008))) return false;
    return true;
}

void draw() {
    state& s = self();
    if (!s.display || !s.background) return;
    const geometry& g = *s.layout;
    blit(s.background, {0, 0, 0, 0});
    draw_text(s.status, 10, 10);
    draw_text(s.progress, progress_line_x(g.progress_centre, s.progress.size()), g.progress_y);
    if (s.progress_visible) {
        blit(s.frame, g.frame);
        if (s.strip) {
            SDL_Rect source{static_cast<Sint16>(s.offset), 0, static_cast<Uint16>(g.bar.w),
                            static_cast<Uint16>(g.bar.h)};
            SDL_Rect at = g.bar;
            SDL_BlitSurface(s.strip, &source, s.display, &at);
        }
        blit(s.button, g.button);
    }
    SDL_Flip(s.display);
}

void handle_event(const SDL_Event& event) {
    const geometry& g = *self().layout;
    if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT &&
        inside(g.button, event.button.x, event.button.y)) {
        platform::exit_process(0);
    }
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_PAUSE) platform::exit_process(0);
}

void pump_events() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle_event(event);
}

void free_images() {
    state& s = self();
    release(s.background);
    release(s.strip);
    release(s.frame);
    release(s.button);
    s.display = nullptr;  // SDL owns the display surface
}

void close_font() {
    state& s = self();
    if (s.font) TTF_CloseFont(s.font);
    s.font = nullptr;
    s.font_bytes.clear();
    s.font_bytes.shrink_to_fit();
}

void set_status(const std::string& text) {
    self().status = text;
}

void set_progress(std::uint32_t received, std::uint32_t total) {
    state& s = self();
    s.progress = progress_line(received, total);
    s.offset = rx::lib::bar_offset(s.layout->bar.w, received, total);
}

void show_progress() {
    self().progress_visible = true;
}

const std::string& status_text() {
    return self().status;
}
const std::string& progress_text() {
    return self().progress;
}
int bar_offset() {
    return self().offset;
}
bool progress_visible() {
    return self().progress_visible;
}

}  // namespace rx::lib::window
