// A tick box drawn from a two-frame image, with a separate frame shown while it has keyboard focus.
#pragma once
#include <SDL.h>

#include <string>

namespace rx {

class checkbox {
  public:
    checkbox() = default;
    checkbox(const checkbox&) = delete;
    checkbox& operator=(const checkbox&) = delete;
    ~checkbox();

    void load(int x, int y, int width, int height, const std::string& image_file);
    // The focus frame always stands at x 202, 14 x 14.
    void load_focus_frame(int y, const std::string& image_file);
    void show();
    void handle_events(const SDL_Event& event);

    bool ticked() const { return ticked_; }
    void set_ticked();
    void set_unticked();
    bool focused() const { return focused_; }
    void set_focused(bool value) { focused_ = value; }
    // True only after the event that toggled the box, until the next event.
    bool changed() const { return changed_; }
    const SDL_Rect& box() const { return box_; }
    const SDL_Rect* current_frame() const { return current_; }
    const SDL_Rect& ticked_frame() const { return ticked_frame_; }
    const SDL_Rect& focus_box() const { return focus_box_; }

  private:
    void toggle();

    SDL_Rect box_{0, 0, 0, 0};
    SDL_Rect focus_box_{202, 0, 14, 14};
    SDL_Rect unticked_frame_{0, 0, 0, 0};
    SDL_Rect ticked_frame_{0, 0, 0, 0};
    SDL_Rect* current_ = &unticked_frame_;
    SDL_Surface* image_ = nullptr;
    SDL_Surface* focus_image_ = nullptr;
    bool ticked_ = false;
    bool focused_ = false;
    bool changed_ = false;
};

}  // namespace rx
