// Screen 6: the controls menu's title and buttons.
#include "browser/controls/rx_controls_input.h"

#include <exception>

#include "common/guard.h"
#include "emulators/consoles.h"
#include "platform/path.h"
#include "widgets/image.h"

namespace rx {

const std::vector<widget_place>& rx_controls_input::layout() {
    // Console buttons stand 45 px apart down the left edge, in the console table's menu order;
    // twelve fill the window's height, so any more start a column of their own beside them.
    static const std::vector<widget_place> widgets = [] {
        constexpr int per_column = 12;
        std::vector<widget_place> w{{"home", 645, 5, 150, 40, "button_home.png"}};
        for (int i = 0; i < console_count; ++i) {
            const console_row& row = *console_by_controls_slot(i);
            w.push_back({row.controls_widget.data(), 5 + 205 * (i / per_column),
                         50 + 45 * (i % per_column), 200, 40, row.controls_artwork.data()});
        }
        return w;
    }();
    return widgets;
}

const std::array<int, rx_controls_input::console_count>& rx_controls_input::console_screens() {
    static const std::array<int, console_count> numbers = [] {
        std::array<int, console_count> n{};
        for (int i = 0; i < console_count; ++i) n[i] = console_by_controls_slot(i)->screen;
        return n;
    }();
    return numbers;
}

rx_controls_input::~rx_controls_input() {
    if (title_surface_ != nullptr) SDL_FreeSurface(title_surface_);
    if (font_ != nullptr) TTF_CloseFont(font_);
}

void rx_controls_input::init() {
    run_logged("rx_controls_input", "init", [&] {
        // A second init (tests) must not leak the first one's font and title.
        if (title_surface_ != nullptr) SDL_FreeSurface(title_surface_);
        if (font_ != nullptr) TTF_CloseFont(font_);
        title_surface_ = nullptr;
        font_ = nullptr;
        const auto& widgets = layout();
        home_.load_button(widgets[0]);
        for (int i = 0; i < console_count; ++i) consoles_[i].load_button(widgets[i + 1]);
        if (auto dir = get_directory()) {
            font_ = TTF_OpenFont(platform::join_path(*dir, "NEURPOLI.TTF").c_str(), 20);
        }
        if (font_ != nullptr) {
            title_surface_ =
                TTF_RenderText_Solid(font_, "Controls Setup:", SDL_Color{255, 255, 255, 0});
        }
    });
}

void rx_controls_input::show() {
    run_logged("rx_controls_input", "show", [&] {
        if (title_surface_ != nullptr) blit_at(5, 5, title_surface_, SDL_GetVideoSurface());
        home_.show();
        for (auto& b : consoles_) b.show();
    });
}

void rx_controls_input::handle_events(const SDL_Event& event) {
    home_.handle_events(event);
    for (auto& b : consoles_) b.handle_events(event);
}

void rx_controls_input::reset() {
    home_.reset();
    for (auto& b : consoles_) b.reset();
}

}  // namespace rx
