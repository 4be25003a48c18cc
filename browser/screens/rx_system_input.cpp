// Screen 4: the game list's fetching, paging and drawing.
#include "browser/screens/rx_system_input.h"

#include <algorithm>
#include <exception>

#include "browser/screens/play.h"
#include "common/guard.h"
#include "emulators/systems.h"
#include "net/web_transport.h"
#include "platform/path.h"
#include "platform/service_config.h"
#include "widgets/image.h"

namespace rx {

namespace {

using catalogue::row_height;

constexpr std::array<const char*, rx_system_input::filter_count> filter_text_table = {
    "^[0-9]", "^[a-b]", "^[c-d]", "^[e-f]", "^[g-h]", "^[i-j]", "^[k-l]", "^[m-n]",
    "^[o-p]", "^[q-r]", "^[s-t]", "^[u-v]", "^[w-x]", "^[y-z]", "^[0-z]", "RANDOM"};

constexpr std::array<const char*, rx_system_input::letter_filter_count> letter_images = {
    "button_09.png", "button_ab.png", "button_cd.png", "button_ef.png", "button_gh.png",
    "button_ij.png", "button_kl.png", "button_mn.png", "button_op.png", "button_qr.png",
    "button_st.png", "button_uv.png", "button_wx.png", "button_yz.png"};

constexpr int all_index = rx_system_input::letter_filter_count;
constexpr int random_index = all_index + 1;

enum art { bar_odd, bar_even, bar_unavailable, button_odd, button_even, button_unavailable };
constexpr std::array<const char*, 6> row_art_files = {
    "list_bar_odd.png",    "list_bar_even.png",    "list_bar_unavailable.png",
    "list_button_odd.png", "list_button_even.png", "list_button_unavailable.png"};

}  // namespace

const std::array<const char*, rx_system_input::filter_count>& rx_system_input::filter_texts() {
    return filter_text_table;
}

rx_system_input::~rx_system_input() {
    free_surface(title_surface_);
    free_surface(ring_);
    free_row_artwork();
    if (font_16_) TTF_CloseFont(font_16_);
    if (font_20_) TTF_CloseFont(font_20_);
}

void rx_system_input::init() {
    run_logged("rx_system_input", "init", [&] {
        // Opening again (a second init) must not leak the fonts of the first.
        if (font_16_) TTF_CloseFont(font_16_);
        if (font_20_) TTF_CloseFont(font_20_);
        font_16_ = font_20_ = nullptr;
        if (const auto directory = get_directory()) {
            const std::string font_file = platform::join_path(*directory, "NEURPOLI.TTF");
            font_16_ = TTF_OpenFont(font_file.c_str(), 16);
            font_20_ = TTF_OpenFont(font_file.c_str(), 20);
        }
        home_.load_button(645, 5, 40, "button_home.png", 150);
        controls_.load_button(490, 5, 40, "button_system_controls.png", 150);
        up_.load_button(715, 55, 40, "button_up.png", 40);
        down_.load_button(715, 515, 40, "button_down.png", 40);
        filters_[0].load_button(15, 50, 40, letter_images[0], 75);
        for (int k = 0; k < 13; ++k) {
            filters_[k + 1].load_button(15, 84 + 34 * k, 40, letter_images[k + 1], 75);
        }
        filters_[all_index].load_button(15, 526, 40, "button_search_all.png", 75);
        filters_[random_index].load_button(15, 560, 40, "button_random.png", 75);
        search_box_.load_searchbox("searchbox.png", "NEURPOLI.TTF");
        search_.load_button(630, 564, 30, "button_search_string.png", 100);
        upgrade_.load_button(280, 5, 40, "button_upgrade_now.png", 200);
    });
}

void rx_system_input::set_user_info(const user_info& info, const std::string& title) {
    set_user_info(info);
    const system_entry* entry = find_system(info.last_system);
    system_code_ = entry ? std::string(entry->code) : "ALL";
    system_title_ = !title.empty() ? title : entry ? std::string(entry->title) : "All Systems";
    free_surface(title_surface_);
    if (font_20_)
        title_surface_ = TTF_RenderText_Solid(font_20_, system_title_.c_str(), text_colour_);
}

void rx_system_input::set_user_info(const user_info& info) {
    info_ = info;
}

void rx_system_input::reset() {
    row_clicked_ = false;
    home_.reset();
    controls_.reset();
    up_.reset();
    down_.reset();
    for (int i = 0; i < filter_count; ++i) {
        if (i == all_index && !all_button_active()) continue;
        filters_[i].reset();
    }
    search_.reset();
    upgrade_.reset();
    search_box_.set_text("");
    search_box_.set_focused(false);
}

void rx_system_input::display_loading() {
    run_logged("rx_system_input", "display_loading",
               [&] { show_loading_page("loading_list.png", 315, 290); });
}

std::string rx_system_input::get_list() {
    return run_logged_or(std::string(), "rx_system_input", "get_list", [&]() -> std::string {
        web::request req;
        req.host = config::catalogue_host();
        req.target = catalogue::list_target(info_.account_kind, info_.last_system, system_code_,
                                            info_.name_filter);
        req.version = "HTTP/1.0";
        req.mode = web::receive_mode::close;
        req.chunk_size = 512;
        web::reply reply = web::http_get(req, [](std::string_view line) { log_error(line); });
        if (!reply.ok || reply.last_result == -1) return {};
        return std::move(reply.text);
    });
}

bool rx_system_input::parse_list(const std::string& reply) {
    return run_logged_or(false, "rx_system_input", "parse_list",
                         [&] { return catalogue::parse_list(reply, rows_); });
}

void rx_system_input::free_row_artwork() {
    for (auto& surface : row_art_) free_surface(surface);
}

void rx_system_input::load_list() {
    run_logged("rx_system_input", "load_list", [&] {
        scroll_offset_ = 0;
        reset();
        rows_.clear();
        rows_.shrink_to_fit();
        display_loading();
        if (!parse_list(get_list())) {
            rows_.clear();
            rows_.push_back(catalogue::placeholder_row());
        }
        free_row_artwork();
        for (std::size_t i = 0; i < row_art_.size(); ++i)
            row_art_[i] = load_image(row_art_files[i]);
        forget_drawn_rows();
        // The first view is drawn now, so the first frame costs no more than any other.
        const int first_view =
            std::min<int>(static_cast<int>(rows_.size()), catalogue::view_height / row_height);
        for (int i = 0; i < first_view; ++i) render_row(i);
    });
}

void rx_system_input::forget_drawn_rows() {
    ring_slots_.fill(-1);
}

void rx_system_input::render_row(int row) {
    if (!ring_) {
        // Zero masks: the default 32-bit layout, as the list surface always had.
        ring_ = SDL_CreateRGBSurface(SDL_SWSURFACE, catalogue::view_width, row_height * ring_rows,
                                     32, 0, 0, 0, 0);
        forget_drawn_rows();
        if (!ring_) return;
    }
    const int slot = row % ring_rows;
    const int y = row_height * slot;
    SDL_Rect area{0, static_cast<Sint16>(y), static_cast<Uint16>(catalogue::view_width),
                  static_cast<Uint16>(row_height)};
    SDL_SetClipRect(ring_, &area);
    SDL_FillRect(ring_, &area, 0);
    const bool codes = catalogue::shows_system_codes(info_.last_system);
    auto draw_texts = [&](const catalogue::game_row& r, int top) {
        draw_text(font_20_, catalogue::shorten_row_title(r.title), text_colour_, 105, top, ring_);
        if (codes) draw_text(font_20_, r.system_code, text_colour_, 525, top, ring_);
    };
    // Text taller than a row reaches into the next row, under that row's artwork.
    if (row > 0 && font_20_ && TTF_FontHeight(font_20_) > row_height) {
        draw_texts(rows_[static_cast<std::size_t>(row - 1)], y - row_height);
    }
    const catalogue::game_row& r = rows_[static_cast<std::size_t>(row)];
    if (r.availability == 0) {
        blit_at(0, y, row_art_[bar_unavailable], ring_);
        blit_at(0, y, row_art_[button_unavailable], ring_);
    } else if (row % 2 == 0) {
        blit_at(0, y, row_art_[bar_even], ring_);
        blit_at(0, y, row_art_[button_even], ring_);
    } else {
        blit_at(0, y, row_art_[bar_odd], ring_);
        blit_at(0, y, row_art_[button_odd], ring_);
    }
    draw_texts(r, y);
    SDL_SetClipRect(ring_, nullptr);
    ring_slots_[static_cast<std::size_t>(slot)] = row;
}

void rx_system_input::show() {
    run_logged("rx_system_input", "show", [&] {
        SDL_Surface* screen = SDL_GetVideoSurface();
        if (!screen) return;
        if (title_surface_) blit_at(5, 5, title_surface_, screen);

        const int list_height = row_height * static_cast<int>(rows_.size());
        const int shown = std::min(catalogue::view_height, list_height - scroll_offset_);
        if (shown > 0) {
            const int top_row = scroll_offset_ / row_height;
            const int bottom_row = (scroll_offset_ + shown - 1) / row_height;
            // Only rows that came into view are drawn: one per wheel step, ten per page.
            for (int row = top_row; row <= bottom_row; ++row) {
                if (ring_slots_[static_cast<std::size_t>(row % ring_rows)] != row) render_row(row);
            }
            if (ring_) {
                const int ring_height = row_height * ring_rows;
                const int start = row_height * (top_row % ring_rows) + scroll_offset_ % row_height;
                const int first_part = std::min(shown, ring_height - start);
                SDL_Rect part{0, static_cast<Sint16>(start),
                              static_cast<Uint16>(catalogue::view_width),
                              static_cast<Uint16>(first_part)};
                blit_at(catalogue::list_x, catalogue::list_y, ring_, screen, &part);
                if (first_part < shown) {
                    SDL_Rect rest{0, 0, static_cast<Uint16>(catalogue::view_width),
                                  static_cast<Uint16>(shown - first_part)};
                    blit_at(catalogue::list_x, catalogue::list_y + first_part, ring_, screen,
                            &rest);
                }
            }
        }

        home_.show();
        controls_.show();
        up_.show();
        down_.show();
        for (int i = 0; i < filter_count; ++i) {
            if (i == all_index && !all_button_active()) continue;
            filters_[i].show();
        }
        search_box_.show();
        search_.show();
        if (upgrade_button_active()) upgrade_.show();
    });
}

void rx_system_input::handle_events(const SDL_Event& event) {
    home_.handle_events(event);
    controls_.handle_events(event);
    up_.handle_events(event);
    down_.handle_events(event);
    for (int i = 0; i < filter_count; ++i) {
        if (i == all_index && !all_button_active()) continue;
        filters_[i].handle_events(event);
    }
    search_box_.handle_events(event);
    search_.handle_events(event);
    if (upgrade_button_active()) upgrade_.handle_events(event);

    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) select_row();
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_RETURN) {
                if (!search_box_.text().empty()) {
                    search_.set_clicked(true);
                } else {
                    select_row();
                }
            } else if (event.key.keysym.sym == SDLK_SPACE && !search_box_.focused()) {
                select_row();
            }
            break;
        case SDL_JOYBUTTONDOWN:
            select_row();
            break;
        default:
            break;
    }
}

void rx_system_input::select_row() {
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    const catalogue::row_hit hit = catalogue::hit_row(x, y, scroll_offset_, rows_);
    if (!hit.on_row) return;
    selected_game_ = rows_[hit.row];
    if (hit.action == catalogue::row_action::play) {
        play();
    } else if (hit.action == catalogue::row_action::information) {
        row_clicked_ = true;
    }
}

void rx_system_input::play() {
    run_logged("rx_system_input", "play", [&] {
        if (selected_game_.availability == 0) {
            display_unavailable();
            return;
        }
        if (selected_game_.availability == -1) {
            display_full_only();
            return;
        }
        // Copies: the game list may be reloaded by the time the game ends.
        const catalogue::game_row game = selected_game_;
        play_game(game, info_.user_name, info_.password);
    });
}

void rx_system_input::show_refusal(int availability, const char* operation) {
    run_logged("rx_system_input", operation, [&] {
        SDL_Surface* screen = SDL_GetVideoSurface();
        SDL_Surface* background = load_image("background_dark.png");
        if (screen) {
            blit_at(0, 0, background, screen);
            for (const auto& line : catalogue::refusal_lines(availability)) {
                draw_text(font_20_, line.text, text_colour_, line.x, line.y, screen);
            }
            SDL_Flip(screen);
        }
        free_surface(background);

        // Ten seconds, or until the user presses anything. A window close ends the wait too and is
        // put back for the main loop, which would otherwise never see it.
        for (int i = 0; i < 1000; ++i) {
            SDL_Event event;
            if (SDL_PollEvent(&event)) {
                if (event.type == SDL_QUIT) {
                    SDL_PushEvent(&event);
                    break;
                }
                if (event.type == SDL_KEYDOWN || event.type == SDL_MOUSEBUTTONDOWN ||
                    event.type == SDL_JOYBUTTONDOWN) {
                    break;
                }
            }
            SDL_Delay(10);
        }
    });
}

void rx_system_input::display_unavailable() {
    show_refusal(0, "display_unavailable");
}

void rx_system_input::display_full_only() {
    show_refusal(-1, "display_full_only");
}

void rx_system_input::page_up() {
    scroll_offset_ = catalogue::scroll_up(scroll_offset_, catalogue::page_step);
}

void rx_system_input::page_down() {
    scroll_offset_ = catalogue::scroll_down(scroll_offset_, catalogue::page_step, rows_.size());
}

void rx_system_input::wheel_up() {
    scroll_offset_ = catalogue::scroll_up(scroll_offset_, row_height);
}

void rx_system_input::wheel_down() {
    scroll_offset_ = catalogue::scroll_down(scroll_offset_, row_height, rows_.size());
}

const char* rx_system_input::clicked_filter() const {
    for (int i = 0; i < filter_count; ++i) {
        if (i == all_index && !all_button_active()) continue;
        if (filters_[i].clicked()) return filter_text_table[i];
    }
    return nullptr;
}

}  // namespace rx
