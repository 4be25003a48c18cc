// The console controls screens' shared widgets, player choice, Set All and Save Settings.
#include "browser/controls/console_screen.h"

#include <stdexcept>

#include "common/guard.h"
#include "platform/path.h"
#include "widgets/image.h"

namespace rx {

std::vector<box_place> box_column(int x, int y, int count, int step) {
    std::vector<box_place> boxes;
    for (int i = 0; i < count; ++i) boxes.push_back({x, y + step * i});
    return boxes;
}

std::vector<widget_place> label_column(int x, int y, const std::vector<const char*>& images,
                                       int width, int step) {
    std::vector<widget_place> labels;
    int i = 0;
    for (const char* image : images) labels.push_back({image, x, y + step * i++, width, 20, image});
    return labels;
}

console_screen::console_screen(const char* class_name, const char* title,
                               const console_shape& shape)
    : class_name_(class_name), title_(title), shape_(shape) {
    if (shape_.players < 1) shape_.players = 1;
    if (shape_.players > 2) shape_.players = 2;
    for (const auto& column : shape_.columns) {
        if (column.boxes.size() != shape_.prompts.size()) {
            throw std::logic_error(std::string(class_name) + ": a column without a box per row");
        }
    }
    records_.resize(static_cast<std::size_t>(shape_.players * columns() * rows()));
    for (int i = 0; i < columns() * rows(); ++i) boxes_.push_back(std::make_unique<controlbox>());
    for (const auto& image : shape_.images) {
        (void)image;
        images_.push_back(std::make_unique<static_image>());
    }
    for (const auto& column : shape_.columns) {
        set_all_.push_back(column.set_all ? std::make_unique<button>() : nullptr);
    }
    if (shape_.save) save_ = std::make_unique<button>();
}

console_screen::~console_screen() {
    free_surface(title_surface_);
    for (auto& label : player_labels_) free_surface(label);
    if (font_ != nullptr) TTF_CloseFont(font_);
}

binding& console_screen::record(int player, int column, int row) {
    return records_.at(static_cast<std::size_t>((player * columns() + column) * rows() + row));
}

const binding& console_screen::record(int player, int column, int row) const {
    return records_.at(static_cast<std::size_t>((player * columns() + column) * rows() + row));
}

controlbox& console_screen::box(int column, int row) {
    return *boxes_.at(static_cast<std::size_t>(column * rows() + row));
}

button* console_screen::set_all_button(int column) {
    if (column < 0 || column >= columns()) return nullptr;
    return set_all_[static_cast<std::size_t>(column)].get();
}

checkbox* console_screen::player_box(int player) {
    if (shape_.players != 2 || player < 0 || player > 1) return nullptr;
    return &player_boxes_[static_cast<std::size_t>(player)];
}

std::vector<laid_widget> console_screen::layout() const {
    std::vector<laid_widget> widgets{{home_place, 3}, {back_place, 3}};
    if (shape_.players == 2) {
        for (int p = 0; p < 2; ++p) {
            widgets.push_back({player_label_places[p], 1, 200});
            widgets.push_back({player_box_places[p], 2});
        }
    }
    for (const auto& image : shape_.images) widgets.push_back({image, 1});
    for (const auto& column : shape_.columns) {
        for (std::size_t row = 0; row < column.boxes.size(); ++row) {
            widgets.push_back({{shape_.prompts[row], column.boxes[row].x, column.boxes[row].y,
                                controlbox::width, controlbox::height, "controlbox.png"},
                               1});
        }
    }
    for (const auto& column : shape_.columns) {
        if (column.set_all) widgets.push_back({*column.set_all, 3});
    }
    if (shape_.save) widgets.push_back({*shape_.save, 3});
    return widgets;
}

void console_screen::init() {
    run_logged(class_name_, init_name_, [&] {
        // A second init (tests) must not leak the first one's font and title.
        free_surface(title_surface_);
        if (font_ != nullptr) TTF_CloseFont(font_);
        font_ = nullptr;
        home_.load_button(home_place);
        back_.load_button(back_place);
        if (auto dir = get_directory()) {
            font_ = TTF_OpenFont(platform::join_path(*dir, "NEURPOLI.TTF").c_str(), 20);
        }
        if (font_ != nullptr) {
            title_surface_ =
                TTF_RenderText_Solid(font_, title_.c_str(), SDL_Color{255, 255, 255, 0});
        }
        for (std::size_t i = 0; i < images_.size(); ++i) images_[i]->load(shape_.images[i]);
        if (shape_.players == 2) {
            for (std::size_t p = 0; p < 2; ++p) {
                const widget_place& box = player_box_places[p];
                player_boxes_[p].load(box.x, box.y, box.w, box.h, box.image);
                free_surface(player_labels_[p]);
                player_labels_[p] = load_image(player_label_places[p].image);
            }
        }
        for (int c = 0; c < columns(); ++c) {
            const capture_column& column = shape_.columns[static_cast<std::size_t>(c)];
            for (int r = 0; r < rows(); ++r) {
                controlbox& b = box(c, r);
                const box_place& at = column.boxes[static_cast<std::size_t>(r)];
                b.load_controlbox(at.x, at.y, "controlbox.png", "NEURPOLI.TTF",
                                  shape_.prompts[static_cast<std::size_t>(r)],
                                  &record(player_, c, r));
                b.set_keyboard_allowed(column.keyboard);
                b.set_joystick_allowed(column.joystick);
                b.set_hats_allowed(column.hats);
                b.set_extra_axes_allowed(column.extra_axes);
                b.set_locked(shape_.locked);
            }
            if (column.set_all) set_all_[static_cast<std::size_t>(c)]->load_button(*column.set_all);
        }
        if (save_) save_->load_button(*shape_.save);
        select_player(player_);
    });
}

void console_screen::show() {
    run_logged(class_name_, show_name_, [&] {
        SDL_Surface* screen = SDL_GetVideoSurface();
        if (title_surface_ != nullptr) blit_at(5, 5, title_surface_, screen);
        for (auto& image : images_) image->show();
        home_.show();
        back_.show();
        if (shape_.players == 2) {
            for (std::size_t p = 0; p < 2; ++p) {
                const widget_place& at = player_label_places[p];
                SDL_Rect clip{0, 0, static_cast<Uint16>(at.w), static_cast<Uint16>(at.h)};
                blit_at(at.x, at.y, player_labels_[p], screen, &clip);
                player_boxes_[p].show();
            }
        }
        for (auto& b : boxes_) b->show();
        for (auto& b : set_all_) {
            if (b) b->show();
        }
        if (save_) save_->show();
    });
}

void console_screen::bind_boxes() {
    for (int c = 0; c < columns(); ++c) {
        for (int r = 0; r < rows(); ++r) box(c, r).bind(&record(player_, c, r));
    }
}

void console_screen::select_player(int player) {
    player_ = (player == 1 && shape_.players == 2) ? 1 : 0;
    if (shape_.players == 2) {
        player_boxes_[static_cast<std::size_t>(player_)].set_ticked();
        player_boxes_[static_cast<std::size_t>(1 - player_)].set_unticked();
    }
    bind_boxes();
    reset();
}

bool console_screen::load_controls() {
    select_player(0);
    return false;
}

bool console_screen::capture_in_progress() const {
    if (set_all_running_) return true;
    for (const auto& b : boxes_) {
        if (b->capturing()) return true;
    }
    return false;
}

bool console_screen::may_start_set_all(int column) const {
    // A column that takes only joystick inputs could never finish without a joystick, and a Set All
    // cannot be cancelled.
    const capture_column& c = shape_.columns[static_cast<std::size_t>(column)];
    if (!c.keyboard && SDL_NumJoysticks() <= 0) return false;
    return rows() > 0 && !shape_.locked;
}

void console_screen::end_set_all() {
    if (set_all_step_ >= 1 && set_all_step_ <= rows()) {
        box(set_all_column_, set_all_step_ - 1).stop_capture();
    }
    set_all_step_ = 0;
    set_all_running_ = false;
    for (auto& b : set_all_) {
        if (b) b->reset();
    }
}

void console_screen::run_set_all(const SDL_Event& event) {
    set_all_running_ = true;
    controlbox& b = box(set_all_column_, set_all_step_ - 1);
    if (!b.capturing()) b.start_capture();
    b.handle_events(event);
    if (!b.changed()) return;
    b.stop_capture();
    if (++set_all_step_ > rows()) end_set_all();
}

void console_screen::handle_events(const SDL_Event& event) {
    run_logged(class_name_, "handle_events", [&] {
        if (set_all_step_ == 0) {
            for (int c = 0; c < columns(); ++c) {
                button* set_all = set_all_button(c);
                if (set_all == nullptr || !set_all->clicked()) continue;
                if (may_start_set_all(c)) {
                    for (auto& other : boxes_) other->stop_capture();
                    set_all_column_ = c;
                    set_all_step_ = 1;
                } else {
                    set_all->reset();
                }
                break;
            }
        }
        if (set_all_step_ != 0) {
            run_set_all(event);
            return;
        }
        if (save_ && save_->clicked()) {
            save_settings();
            save_->reset();
        }
        home_.handle_events(event);
        back_.handle_events(event);
        if (shape_.players == 2) {
            player_boxes_[0].handle_events(event);
            player_boxes_[1].handle_events(event);
            if (player_boxes_[0].changed()) {
                select_player(0);
            } else if (player_boxes_[1].changed()) {
                select_player(1);
            }
        }
        for (int c = 0; c < columns(); ++c) {
            for (int r = 0; r < rows(); ++r) {
                controlbox& b = box(c, r);
                b.handle_events(event);
            }
        }
        for (auto& b : set_all_) {
            if (b) b->handle_events(event);
        }
        if (save_) save_->handle_events(event);
    });
}

void console_screen::reset() {
    // A Set All never outlives a change of screen.
    set_all_step_ = 0;
    set_all_running_ = false;
    home_.reset();
    back_.reset();
    for (auto& b : set_all_) {
        if (b) b->reset();
    }
    if (save_) save_->reset();
    for (auto& b : boxes_) b->stop_capture();
}

}  // namespace rx
