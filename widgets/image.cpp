// Artwork loading with the cyan colour key, the shared blit, text drawing and the strict inside
// test.
#include "widgets/image.h"

#include <SDL_image.h>

#include <exception>

#include "common/guard.h"
#include "common/program_folder.h"
#include "platform/path.h"

namespace rx {

SDL_Surface* load_image(const std::string& file_name) {
    return run_guarded_or<SDL_Surface*>(
        nullptr, "Unknown Exception -SDL_functions load_image", [&]() -> SDL_Surface* {
            const auto dir = get_directory();
            if (!dir) return nullptr;
            const std::string path =
                platform::join_path(platform::join_path(*dir, "images"), file_name);
            SDL_Surface* loaded = IMG_Load(path.c_str());
            if (loaded == nullptr) return nullptr;
            SDL_Surface* converted = SDL_DisplayFormat(loaded);
            SDL_FreeSurface(loaded);
            if (converted != nullptr) {
                // Run-length acceleration: a keyed full-window blit costs a tenth of the plain
                // keyed one, which keeps the whole-window redraw of every frame cheap. Pixel access
                // needs a lock.
                SDL_SetColorKey(converted, SDL_SRCCOLORKEY | SDL_RLEACCEL,
                                SDL_MapRGB(converted->format, 0, 255, 255));
            }
            return converted;
        });
}

int blit_at(int x, int y, SDL_Surface* source, SDL_Surface* destination, SDL_Rect* clip) {
    // A widget whose artwork is missing simply draws nothing.
    if (source == nullptr || destination == nullptr) return -1;
    SDL_Rect offset{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    return SDL_UpperBlit(source, clip, destination, &offset);
}

void free_surface(SDL_Surface*& surface) {
    if (surface) SDL_FreeSurface(surface);
    surface = nullptr;
}

void draw_text(TTF_Font* font, const std::string& text, SDL_Color colour, int x, int y,
               SDL_Surface* destination) {
    if (!font || text.empty() || !destination) return;
    SDL_Surface* rendered = TTF_RenderText_Solid(font, text.c_str(), colour);
    if (!rendered) return;
    blit_at(x, y, rendered, destination);
    SDL_FreeSurface(rendered);
}

void show_loading_page(const std::string& picture, int x, int y) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_Surface* background = load_image("background_dark.png");
    SDL_Surface* loading = load_image(picture);
    if (screen) {
        blit_at(0, 0, background, screen);
        blit_at(x, y, loading, screen);
        SDL_Flip(screen);
    }
    free_surface(background);
    free_surface(loading);
}

bool inside(const SDL_Rect& box, int x, int y) {
    return x > box.x && x < box.x + box.w && y > box.y && y < box.y + box.h;
}

}  // namespace rx
