// What every console controls screen shares: rows of capture boxes bound to binding records, player
// check boxes, Set All per column, Save Settings, title, information image, Home and Back.
//
// How a console screen is written
// -------------------------------
// A console screen is a subclass of `console_screen` that describes itself as data and implements
// the reading and writing of its emulator's settings:
//
// 1. Its constructor passes the class name (used in "Unknown Exception - <class>::<op>" log
//    lines), the title and a `console_shape` (usually a function-local static):
//      - `prompts`: one per row, in row order ("Press Up"); the number of rows.
//      - `images`: row labels, column labels and the information image, each a `widget_place`
//        {name, x, y, w, h, image file}; drawn in table order, never clicked.
//      - `columns`: one `capture_column` per device column (one for most screens; a keyboard and a
//        joystick column for a screen that keeps both). Each has one `box_place` per row and the
//        column's allowed inputs (keyboard, joystick, hats, extra axes) and, optionally, its own
//        Set All button. Boxes are `controlbox::width` x `controlbox::height`.
//      - `save`: the Save Settings button, or nullopt on a display-only screen.
//      - `players`: 1, or 2 for a screen with the two player check boxes (player labels at 475, 60
//        and 625, 60, check boxes at 595, 62 and 760, 62, supplied by this class).
//      - `locked`: every box shows its record and never captures (display only).
// 2. The records are `binding` {id, emu, captured} (emulators/binding_codec.h): one per player,
//    column and row, reached with `record(player, column, row)` (player and column from 0). The
//    boxes write captured inputs straight into the selected player's records and set `captured`;
//    a row the user never captured into keeps `captured` false, so a save writes its loaded value
//    back untouched. The boxes show each input's name; nothing else reads it.
// 3. `load_controls()` reads the settings into the records (inputs and emulator values through
//    the codec, `captured` false) and ends with `select_player(0)` (which also resets the boxes'
//    texts); it returns whether the file was read and parsed. A screen opens whatever it returns.
// 4. `save_settings()` has the codec turn every captured input into its emulator value and writes
//    the settings through platform::replace_file, never leaving a half-written file.
// 5. Inputs and their names: emulators/input_names.h; key codes and SDL keys: emulators/sdl_keys.h.
//    Exceptions inside load/save are caught with `run_logged(class_name(), "op", ...)`.
// 6. `layout()` gives every widget's place and artwork; tests/browser_core/layout_test.cpp checks
//    that every widget of every console screen lies inside 800 x 600 and that none overlap.
// 7. The console's row in emulators/consoles.inc names the screen (class name, title,
//    information image, settings screen); settings_screens.cpp makes the screen from it. A screen
//    that is only a shape, a file and a codec needs no class: it is a row of codec_screen.cpp.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/base/screen.h"
#include "browser/ui/controlbox.h"
#include "emulators/binding_codec.h"
#include "widgets/button.h"
#include "widgets/checkbox.h"

namespace rx {

struct box_place {
    int x;
    int y;
};

struct capture_column {
    std::vector<box_place> boxes;  // one per row, in row order
    bool keyboard = true;
    bool joystick = true;
    bool hats = true;
    bool extra_axes = false;
    std::optional<widget_place> set_all;
};

// `count` boxes (or labels) down from (x, y), one every `step` pixels.
std::vector<box_place> box_column(int x, int y, int count, int step = 30);
// Row labels 100 x 20 (or `width` wide) down from (x, y); `images` gives each row's artwork.
std::vector<widget_place> label_column(int x, int y, const std::vector<const char*>& images,
                                       int width = 100, int step = 30);

struct console_shape {
    std::vector<const char*> prompts;
    std::vector<widget_place> images;
    std::vector<capture_column> columns;
    std::optional<widget_place> save;
    int players = 1;
    bool locked = false;
};

// A widget of a screen with the number of frames its artwork holds side by side (3 for a button,
// 2 for a check box, 1 for everything else).
struct laid_widget {
    widget_place place;
    int frames;
    // Width of the artwork file when only part of it is drawn; 0 for frames x place width.
    int artwork_width = 0;
};

class console_screen : public screen {
  public:
    // The screens' shared places.
    static constexpr widget_place home_place{"home", 645, 5, 150, 40, "button_home.png"};
    static constexpr widget_place back_place{"back", 490, 5, 150, 40, "button_back.png"};
    // The player label artwork is 200 px wide with its words in the first 112 px; only 120 px are
    // drawn, so that a label reaches neither the check box beside it nor the window's right edge.
    static constexpr widget_place player_label_places[2]{
        {"player 1 label", 475, 60, 120, 20, "static_player1.png"},
        {"player 2 label", 625, 60, 120, 20, "static_player2.png"}};
    static constexpr widget_place player_box_places[2]{
        {"player 1 box", 595, 62, 10, 10, "checkbox_player.png"},
        {"player 2 box", 760, 62, 10, 10, "checkbox_player.png"}};

    console_screen(const char* class_name, const char* title, const console_shape& shape);
    // A screen whose rows are not described yet: title, Home and Back only.
    console_screen(const char* class_name, const char* title)
        : console_screen(class_name, title, console_shape{}) {}
    console_screen(const console_screen&) = delete;
    console_screen& operator=(const console_screen&) = delete;
    ~console_screen() override;

    void init() override;
    void show() override;
    void handle_events(const SDL_Event& event) override;
    void reset() override;

    // Reads the emulator's settings into the records; the screen opens whatever the result.
    // Ends with select_player(0), so the boxes show what was read.
    virtual bool load_controls();
    // Writes the records into the emulator's settings.
    virtual void save_settings() {}

    // Where Back leads: the controls menu (6) or the game list (4), set by whoever opened the
    // screen.
    void set_return_screen(int number) { return_screen_ = number; }
    int return_screen() const { return return_screen_; }

    // While a Set All captures inputs nothing but the sequence sees events.
    bool set_all_running() const { return set_all_running_; }
    // A Set All or a single box is waiting for an input: the arrow keys and the joystick must
    // reach the box instead of moving the pointer.
    bool capture_in_progress() const;
    // 0 when idle, else the 1-based row the Set All is capturing.
    int set_all_step() const { return set_all_step_; }
    int set_all_column() const { return set_all_column_; }

    int rows() const { return static_cast<int>(shape_.prompts.size()); }
    int columns() const { return static_cast<int>(shape_.columns.size()); }
    int players() const { return shape_.players; }
    // Display only: the boxes show their records and never capture.
    bool locked() const { return shape_.locked; }
    int selected_player() const { return player_; }
    binding& record(int player, int column, int row);
    const binding& record(int player, int column, int row) const;
    controlbox& box(int column, int row);

    // Ticks the chosen player's check box, unticks the other, points the boxes at that player's
    // records and resets the screen.
    void select_player(int player);

    button& home_button() { return home_; }
    button& back_button() { return back_; }
    // Null where the screen has none.
    button* set_all_button(int column);
    button* save_button() { return save_ ? save_.get() : nullptr; }
    checkbox* player_box(int player);
    const std::string& title() const { return title_; }
    const char* class_name() const { return class_name_; }

    // Every widget of this screen: Home, Back, player labels and boxes, images, capture boxes,
    // Set All buttons, Save Settings.
    std::vector<laid_widget> layout() const;

  protected:
    // The names init and show carry in "Unknown Exception - <class>::<name>" lines.
    void set_logged_names(const char* init_name, const char* show_name) {
        init_name_ = init_name;
        show_name_ = show_name;
    }

  private:
    void run_set_all(const SDL_Event& event);
    void end_set_all();
    bool may_start_set_all(int column) const;
    void bind_boxes();

    const char* class_name_;
    const char* init_name_ = "init";
    const char* show_name_ = "show";
    std::string title_;
    console_shape shape_;
    int return_screen_ = 6;
    int player_ = 0;
    int set_all_step_ = 0;
    int set_all_column_ = 0;
    bool set_all_running_ = false;
    TTF_Font* font_ = nullptr;
    SDL_Surface* title_surface_ = nullptr;
    button home_;
    button back_;
    std::vector<std::unique_ptr<static_image>> images_;
    std::array<checkbox, 2> player_boxes_;
    std::array<SDL_Surface*, 2> player_labels_{nullptr, nullptr};
    // [column * rows + row]
    std::vector<std::unique_ptr<controlbox>> boxes_;
    std::vector<std::unique_ptr<button>> set_all_;
    std::unique_ptr<button> save_;
    // [(player * columns + column) * rows + row]
    std::vector<binding> records_;
};

}  // namespace rx
