// The account session with the web host: the version check with the updater hand-off, login with
// the restricted-account splash, and logout at shutdown.
#include "browser/app/session.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <exception>
#include <fstream>
#include <string>

#include "browser/app/app.h"
#include "browser/app/processes.h"
#include "browser/app/screens.h"
#include "browser/base/logic/session_text.h"
#include "net/web_transport.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/service_config.h"
#include "updater/logic/release.h"
#include "widgets/display_message.h"
#include "widgets/image.h"

namespace rx {
namespace {

void log_line(std::string_view line) {
    log_error(line);
}

web::request web_request(std::string target, web::receive_mode mode, std::string operation) {
    web::request req;
    req.host = config::web_host();
    req.target = std::move(target);
    req.version = "HTTP/1.1";
    req.mode = mode;
    req.chunk_size = 2048;
    req.operation = std::move(operation);
    return req;
}

// Full-window wait picture drawn before an exchange blocks the loop.
void show_wait_image(const char* file, int x, int y) {
    SDL_Surface* image = load_image(file);
    app::show(x, y, image);
    if (image) SDL_FreeSurface(image);
}

void write_login_reply(const std::string& reply) {
    const auto directory = get_directory();
    if (!directory) return;
    std::ofstream file(platform::join_path(*directory, "rx_login_reply.txt"),
                       std::ios::binary | std::ios::trunc);
    file.write(reply.data(), static_cast<std::streamsize>(reply.size()));
}

void open_upgrade_page(const std::wstring& user_name, const std::wstring& password) {
    if (user_name == L"guest") {
        open_signup_page();
    } else {
        open_account_page(user_name, password);
    }
}

// Ten seconds of the splash for restricted accounts; any press opens the sign-up or account page
// and ends it.
void run_splash(const std::wstring& user_name, const std::wstring& password) {
    const auto directory = get_directory();
    TTF_Font* font = directory
                         ? TTF_OpenFont(platform::join_path(*directory, "NEURPOLI.TTF").c_str(), 28)
                         : nullptr;
    SDL_Surface* splash = load_image("splash.png");
    SDL_Surface* work = SDL_CreateRGBSurface(SDL_SWSURFACE, 800, 600, 32, 0, 0, 0, 0);
    if (!work) log_error("Failure creating temp_surface - login");
    SDL_Surface* number = nullptr;
    const SDL_Color white{255, 255, 255, 0};

    bool pressed = false;
    for (int n = 10; n >= 1 && !pressed; --n) {
        if (work) {
            blit_at(0, 0, splash, work);
            if (number) SDL_FreeSurface(number);
            number = font ? TTF_RenderText_Solid(font, std::to_string(n).c_str(), white) : nullptr;
            blit_at(245, 520, number, work);
        }
        app::show(0, 0, work);
        SDL_Delay(1000);

        bool quit = false;
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
                case SDL_MOUSEBUTTONDOWN:
                case SDL_KEYDOWN:
                case SDL_JOYBUTTONDOWN:
                    // Several presses within the same second open the page once.
                    if (!pressed) open_upgrade_page(user_name, password);
                    pressed = true;
                    break;
                case SDL_QUIT:
                    quit = true;
                    break;
                default:
                    break;
            }
        }
        if (quit) {
            if (number) SDL_FreeSurface(number);
            if (work) SDL_FreeSurface(work);
            if (splash) SDL_FreeSurface(splash);
            if (font) TTF_CloseFont(font);
            // Closing the window keeps the login as closing it anywhere else does.
            app::save_settings();
            app::clean_up();
            platform::exit_process(0);
        }
    }

    if (number) SDL_FreeSurface(number);
    if (work) SDL_FreeSurface(work);
    if (splash) SDL_FreeSurface(splash);
    if (font) TTF_CloseFont(font);
}

// Whether the release the service offers for this client's location is still to be installed.
// The served version alone cannot tell: it stays above the threshold after the update, so without
// this every start would hand over again, for good. An offer that cannot be read hands over
// nothing, since the updater would refuse it as well.
bool update_pending() {
    web::request req;
    req.host = config::catalogue_host();
    req.target = "/clients/update/signature.php?location=" + std::string(built_in_version);
    req.version = "HTTP/1.0";
    req.mode = web::receive_mode::close;
    req.chunk_size = 2048;
    req.operation = "check_version";
    const web::reply reply = web::http_get(req, log_line);
    if (!reply.ok) return false;
    const auto offered = updater::offered_release(reply.text);
    if (!offered) {
        log_error("Failure reading the offered release - check_version");
        return false;
    }
    const auto directory = get_directory();
    std::string record;
    if (directory) {
        const auto status = platform::read_whole_file(
            platform::join_path(*directory, std::string(updater::release_record_name)), record,
            64 * 1024);
        if (status != platform::read_status::ok) record.clear();
    }
    return updater::recorded_release(record, built_in_version) < *offered;
}

}  // namespace

bool login() {
    return run_logged_or(false, "main", "login", [&] {
        show_wait_image("logging_in.png", 327, 288);
        auto& screen = screens().login;
        const std::wstring user_name = screen.user_name();
        const std::wstring password = screen.password();

        const web::reply reply = web::http_get(
            web_request(login_target(user_name, password), web::receive_mode::marker, "login"),
            log_line);
        if (!reply.ok) return false;
        write_login_reply(reply.text);

        const auto kind = parse_account_kind(reply.text);
        if (!kind) {
            log_error("Failure reading reply - login");
            return false;
        }
        if (*kind == 0) {
            app::message().set_message(5, "Incorrect Username or password.");
            return false;
        }

        app::clear_controls();
        app::set_current_screen(screen_main);
        user_info& user = app::user();
        user.user_name = user_name;
        user.password = password;
        user.account_kind = *kind;
        app::message().set_message(1, "");

        if (*kind == 1) {
            run_splash(user_name, password);
            screens().main_menu.set_guest_buttons();
        } else {
            screens().main_menu.set_buttons();
        }
        return true;
    });
}

void logout() {
    run_logged("main", "logout", [&] {
        const std::wstring user_name = screens().login.user_name();
        web::http_get(web_request(logout_target(user_name), web::receive_mode::none, "logout"),
                      log_line);
    });
}

bool check_version() {
    return run_logged_or(false, "main", "check_version", [&] {
        show_wait_image("static_checking_for_updates.png", 250, 288);
        web::request req =
            web_request(std::string(version_target), web::receive_mode::marker, "check_version");
        req.three_line_open_failure = true;
        const web::reply reply = web::http_get(req, log_line);
        if (!reply.ok) return false;

        const auto version = parse_version(reply.text);
        if (version && update_due(*version)) {
            // Without an updater to hand over to, quitting would only repeat at every start.
            if (!updater_present()) {
                log_error("Failure finding rx_update - check_version");
                return true;
            }
            if (!update_pending()) return true;
            app::clean_up();
            launch_update(std::string(built_in_version));
            platform::exit_process(0);
        }
        return true;
    });
}

}  // namespace rx
