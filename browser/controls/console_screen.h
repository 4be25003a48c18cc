// What every console controls screen shares: title, Home, Back, return screen, capture gate.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <string>
#include <vector>

#include "browser/core/screen.h"
#include "browser/ui/button.h"

namespace rx {

class console_screen : public screen {
  public:
    console_screen(const char* class_name, const char* title)
        : class_name_(class_name), title_(title) {}
    console_screen(const console_screen&) = delete;
    console_screen& operator=(const console_screen&) = delete;
    ~console_screen() override;

    void init() override;
    void show() override;
    void handle_events(const SDL_Event& event) override;
    void reset() override;

    // Reads the emulator's settings into the bindings; the screen opens whatever the result.
    // Ends with reset, so the boxes show what was read. Until a console's settings module exists
    // nothing is read and the result says so.
    virtual bool load_controls() {
        reset();
        return false;
    }

    // Where Back leads: the controls menu (6) or the game list (4), set by whoever opened the
    // screen.
    void set_return_screen(int number) { return_screen_ = number; }
    int return_screen() const { return return_screen_; }

    // While a Set All captures inputs the arrow keys and joystick must not move the pointer.
    bool set_all_running() const { return set_all_running_; }

    button& home_button() { return home_; }
    button& back_button() { return back_; }
    const std::string& title() const { return title_; }

    // Home and Back, the widgets every console screen has.
    static const std::vector<widget_place>& layout();

  protected:
    void log_unknown(const char* operation) const;

    bool set_all_running_ = false;

  private:
    std::string class_name_;
    std::string title_;
    int return_screen_ = 6;
    TTF_Font* font_ = nullptr;
    SDL_Surface* title_surface_ = nullptr;
    button home_;
    button back_;
};

}  // namespace rx
