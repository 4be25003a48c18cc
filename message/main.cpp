// rx_message: the message window every program of the installation shows a person on Linux. It is a
// program of its own so that a caller that already has its SDL window (one per process), or that is
// an emulator with rxlib inside, can show it without giving up its own screen.
#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

#include "common/program_folder.h"
#include "platform/path.h"
#include "platform/process.h"
#include "widgets/button.h"
#include "widgets/image.h"
#include "widgets/logic/text_wrap.h"

namespace {

constexpr int font_size = 16;
const SDL_Color white{255, 255, 255, 0};

int run(const std::string& caption, const std::string& text) {
    const auto folder = rx::get_directory();
    if (!folder) return 1;
    // In the middle of the screen, where a person looks, whatever the caller's own window does.
    rx::platform::set_environment("SDL_VIDEO_CENTERED", "1");
    if (SDL_Init(SDL_INIT_VIDEO) == -1) return 1;
    if (TTF_Init() == -1) {
        SDL_Quit();
        return 1;
    }
    TTF_Font* font =
        TTF_OpenFont(rx::platform::join_path(*folder, "NEURPOLI.TTF").c_str(), font_size);
    if (!font) {
        TTF_Quit();
        SDL_Quit();
        return 1;
    }
    const rx::text_measure measure = [font](std::string_view piece) {
        int w = 0, h = 0;
        if (piece.empty() || TTF_SizeText(font, std::string(piece).c_str(), &w, &h) != 0) return 0;
        return w;
    };
    const rx::message_layout layout = rx::layout_message(text, TTF_FontLineSkip(font), measure);
    int status = 1;
    if (SDL_SetVideoMode(layout.width, layout.height, 32, 0)) {
        SDL_WM_SetCaption(caption.c_str(), nullptr);
        SDL_Surface* background = rx::load_image("background_dark.png");
        rx::button ok;
        ok.load_button(layout.button_x, layout.button_y, rx::message_button_height, "button_ok.png",
                       rx::message_button_width);
        bool open = true;
        while (open) {
            SDL_Surface* screen = SDL_GetVideoSurface();
            SDL_FillRect(screen, nullptr, 0);
            rx::blit_at(0, 0, background, screen);
            for (std::size_t i = 0; i < layout.lines.size(); ++i) {
                rx::draw_text(font, layout.lines[i], white, layout.text_x,
                              layout.text_y + static_cast<int>(i) * layout.line_height, screen);
            }
            ok.show();
            SDL_Flip(screen);
            // Nothing moves unless the person acts, so the window sleeps until an event comes.
            SDL_Event event;
            if (!SDL_WaitEvent(&event)) break;
            do {
                ok.handle_events(event);
                if (ok.clicked() || event.type == SDL_QUIT) open = false;
                if (event.type == SDL_KEYDOWN) {
                    const SDLKey key = event.key.keysym.sym;
                    if (key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_ESCAPE)
                        open = false;
                }
            } while (open && SDL_PollEvent(&event));
        }
        rx::free_surface(background);
        status = 0;
    }
    TTF_CloseFont(font);
    TTF_Quit();
    SDL_Quit();
    return status;
}

}  // namespace

// rx_message CAPTION TEXT: ends once the person has closed the window; status 1 when none could be
// shown (the caller has already written the message to standard error).
int main(int argc, char** argv) {
    if (argc < 3) return 2;
    return run(argv[1], argv[2]);
}
