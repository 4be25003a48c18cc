// Screen 5: the game info screen: title, screenshots fetched from the catalogue host, Home, Back,
// Play.
#include "browser/screens/rx_game_info_input.h"

#include <SDL_image.h>

#include <exception>

#include "common/guard.h"
#include "net/web_transport.h"
#include "platform/path.h"
#include "platform/service_config.h"
#include "widgets/image.h"

namespace rx {

namespace {

void log_line(std::string_view line) {
    log_error(line);
}

}  // namespace

rx_game_info_input::~rx_game_info_input() {
    clear_screenshots();
    free_surface(title_surface_);
    if (font_) TTF_CloseFont(font_);
}

void rx_game_info_input::init() {
    run_logged("rx_game_info_input", "init", [&] {
        if (font_) TTF_CloseFont(font_);
        font_ = nullptr;
        if (const auto directory = get_directory()) {
            font_ = TTF_OpenFont(platform::join_path(*directory, "NEURPOLI.TTF").c_str(), 20);
        }
        home_.load_button(645, 5, 40, "button_home.png", 150);
        back_.load_button(490, 5, 40, "button_back.png", 150);
        play_.load_button(325, 550, 40, "button_play.png", 150);
    });
}

void rx_game_info_input::clear_buttons() {
    home_.reset();
    back_.reset();
    play_.reset();
}

void rx_game_info_input::clear_screenshots() {
    for (auto& picture : screenshots_) free_surface(picture);
    names_ = {};
}

void rx_game_info_input::load_game(catalogue::game_row game) {
    run_logged("rx_game_info_input", "load_game", [&] {
        // A slot the new game does not refill must not show the previous game's picture.
        clear_screenshots();
        title_ = catalogue::shorten_info_title(game.title);
        system_code_ = game.system_code;
        game_id_ = game.game_id;
        availability_ = game.availability;
        free_surface(title_surface_);
        if (font_ && !title_.empty()) {
            title_surface_ = TTF_RenderText_Solid(font_, title_.c_str(), text_colour_);
        }
        get_info();
    });
}

void rx_game_info_input::display_loading_info() {
    run_logged("rx_game_info_input", "display_loading_info",
               [&] { show_loading_page("loading_information.png", 260, 290); });
}

bool rx_game_info_input::get_info() {
    return run_logged_or(false, "rx_game_info_input", "get_info", [&] {
        display_loading_info();
        web::request req;
        req.host = config::catalogue_host();
        req.target = catalogue::info_target(game_id_);
        req.version = "HTTP/1.0";
        req.mode = web::receive_mode::marker;
        req.chunk_size = 2048;
        const web::reply reply = web::http_get(req, log_line);
        if (!reply.ok) return false;
        parse_info(reply.text);
        for (int slot = 1; slot <= catalogue::screenshot_slots; ++slot) {
            const std::string& name = names_[static_cast<std::size_t>(slot - 1)];
            if (!name.empty()) get_screenshot(name, slot);
        }
        return true;
    });
}

void rx_game_info_input::parse_info(const std::string& reply) {
    run_logged("rx_game_info_input", "parse_info", [&] { catalogue::parse_info(reply, names_); });
}

bool rx_game_info_input::get_screenshot(const std::string& name, int slot) {
    return run_logged_or(false, "rx_game_info_input", "get_screenshot", [&] {
        if (slot < 1 || slot > catalogue::screenshot_slots) return false;
        SDL_Surface*& target = screenshots_[static_cast<std::size_t>(slot - 1)];
        web::request req;
        req.host = config::catalogue_host();
        req.target = catalogue::screenshot_target(name);
        req.version = "HTTP/1.0";
        req.mode = web::receive_mode::raw;
        const web::reply reply = web::http_get(req, log_line);
        if (!reply.ok) return false;
        const std::string_view body = catalogue::screenshot_body(reply.text);
        free_surface(target);
        if (body.empty()) return false;
        SDL_RWops* source = SDL_RWFromConstMem(body.data(), static_cast<int>(body.size()));
        if (!source) return false;
        target = IMG_Load_RW(source, 1);
        return target != nullptr;
    });
}

void rx_game_info_input::show() {
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen) return;
    if (title_surface_) blit_at(5, 5, title_surface_, screen);
    // Screenshots 3 and 4 are fetched but the page has room for two.
    if (screenshots_[0]) blit_at(25, 60, screenshots_[0], screen);
    if (screenshots_[1]) blit_at(519, 60, screenshots_[1], screen);
    home_.show();
    back_.show();
    play_.show();
}

void rx_game_info_input::handle_events(const SDL_Event& event) {
    home_.handle_events(event);
    back_.handle_events(event);
    play_.handle_events(event);
}

}  // namespace rx
