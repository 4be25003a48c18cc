// Screen 3: the news screen: fetching the news and drawing it into the page picture.
#include "browser/screens/rx_news_input.h"

#include <exception>
#include <string>

#include "browser/screens/logic/news.h"
#include "common/guard.h"
#include "net/web_transport.h"
#include "platform/path.h"
#include "platform/service_config.h"
#include "widgets/image.h"

namespace rx {

namespace {

// A copy with the same pixels, format and colour key.
SDL_Surface* copy_surface(SDL_Surface* source) {
    if (!source) return nullptr;
    return SDL_ConvertSurface(source, source->format, source->flags);
}

}  // namespace

rx_news_input::~rx_news_input() {
    free_surface(page_);
    free_surface(blank_page_);
    if (font_) TTF_CloseFont(font_);
}

void rx_news_input::init() {
    run_logged("rx_news_input", "init", [&] {
        free_surface(page_);
        free_surface(blank_page_);
        if (font_) TTF_CloseFont(font_);
        font_ = nullptr;
        blank_page_ = load_image("background_dark.png");
        page_ = copy_surface(blank_page_);
        if (const auto directory = get_directory()) {
            font_ = TTF_OpenFont(platform::join_path(*directory, "NEURPOLI.TTF").c_str(), 20);
        }
        home_.load_button(645, 550, 40, "button_home.png", 150);
    });
}

bool rx_news_input::get_news() {
    return run_logged_or(false, "rx_news_input", "get_news", [&] {
        web::request req;
        req.host = config::web_host();
        req.target = "/browser/news.php";
        req.version = "HTTP/1.1";
        req.mode = web::receive_mode::marker;
        req.chunk_size = 2048;
        const web::reply reply = web::http_get(req, [](std::string_view line) { log_error(line); });
        if (!reply.ok) return false;

        // Each visit starts from the plain picture, so an older, longer text never shows through.
        SDL_Surface* fresh = copy_surface(blank_page_);
        if (fresh) {
            free_surface(page_);
            page_ = fresh;
        }
        if (!page_) return true;
        const auto fields = catalogue::split_news(reply.text);
        draw_text(font_, fields[0], text_colour_, catalogue::news_x, catalogue::news_heading_y[0],
                  page_);
        draw_text(font_, fields[1], text_colour_, catalogue::news_x, catalogue::news_heading_y[1],
                  page_);
        int y = catalogue::news_first_body_y;
        for (const std::string& line : catalogue::wrap_news_body(fields[2])) {
            draw_text(font_, line, text_colour_, catalogue::news_x, y, page_);
            y += catalogue::news_line_step;
        }
        return true;
    });
}

void rx_news_input::show() {
    run_logged("rx_news_input", "show", [&] {
        SDL_Surface* screen = SDL_GetVideoSurface();
        if (screen && page_) blit_at(0, 0, page_, screen);
        home_.show();
    });
}

}  // namespace rx
