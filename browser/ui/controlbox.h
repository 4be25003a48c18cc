// The capture box of the controls screens: click it, press a key or move a joystick, and the
// input is written into the binding the box is bound to; the box shows the binding's name.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <functional>
#include <string>

#include "emulators/binding_codec.h"

namespace rx {

class controlbox {
  public:
    static constexpr int width = 300;
    static constexpr int height = 22;
    // A stick must pass this far from centre (either way) before it counts as a direction.
    static constexpr int axis_dead_zone = 7999;
    // After an axis or hat capture the same movement must not be taken again by the next box.
    static constexpr Uint32 settle_ms = 250;

    controlbox() = default;
    controlbox(const controlbox&) = delete;
    controlbox& operator=(const controlbox&) = delete;
    ~controlbox();

    void load_controlbox(int x, int y, const std::string& image_file, const std::string& font_file,
                         const std::string& prompt, binding* bound);
    void show();
    void handle_events(const SDL_Event& event);
    // Frees the surfaces and closes the font.
    void release();

    // Points the box at another binding (a two-player screen switching players) and shows it.
    void bind(binding* bound);
    binding* bound() const { return bound_; }
    void start_capture();
    void stop_capture();

    bool capturing() const { return capturing_; }
    // Set by the event that ended a capture, cleared at the start of every event.
    bool changed() const { return changed_; }
    // Set with changed when the capture wrote an input, and marked the binding captured (a key
    // without a code ends it writing none).
    bool assigned() const { return assigned_; }
    const std::string& shown_text() const { return shown_; }
    const std::string& prompt() const { return prompt_; }
    const SDL_Rect& box() const { return box_; }

    bool locked() const { return locked_; }
    void set_locked(bool value) { locked_ = value; }
    void set_keyboard_allowed(bool value) { keyboard_allowed_ = value; }
    void set_joystick_allowed(bool value) { joystick_allowed_ = value; }
    void set_hats_allowed(bool value) { hats_allowed_ = value; }
    void set_extra_axes_allowed(bool value) { extra_axes_allowed_ = value; }
    bool keyboard_allowed() const { return keyboard_allowed_; }
    bool joystick_allowed() const { return joystick_allowed_; }

    // Tests replace the settle wait so they do not sleep; an empty function restores SDL_Delay.
    static void set_settle_wait(std::function<void(Uint32)> wait);

  private:
    void pointer_test(int x, int y);
    void finish();
    void assign(const input& captured);
    void capture_key(const SDL_Event& event);
    void capture_axis(const SDL_Event& event);
    void capture_hat(const SDL_Event& event);
    void capture_button(const SDL_Event& event);
    std::string bound_text() const;

    SDL_Rect box_{0, 0, width, height};
    SDL_Rect frame_{0, 0, width, height};
    SDL_Surface* image_ = nullptr;
    TTF_Font* font_ = nullptr;
    std::string shown_;
    // The shown text as last rendered: a screen of boxes would otherwise render every box's text
    // with SDL_ttf in every frame, though it changes only when a capture starts or ends.
    SDL_Surface* text_surface_ = nullptr;
    std::string rendered_text_;
    bool rendered_ = false;
    std::string prompt_;
    binding* bound_ = nullptr;
    bool capturing_ = false;
    bool changed_ = false;
    bool assigned_ = false;
    bool locked_ = false;
    bool keyboard_allowed_ = true;
    bool joystick_allowed_ = true;
    bool extra_axes_allowed_ = false;
    bool hats_allowed_ = true;
};

}  // namespace rx
