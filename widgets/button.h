// The three-frame image button (normal, pressed, hover) and the fixed-place static image.
#pragma once
#include <SDL.h>

#include <string>

namespace rx {

// One widget of a screen as data: its place, its size and its artwork, so a whole screen's layout
// can be read (and checked against the 800 x 600 window) without drawing it.
struct widget_place {
    const char* name;
    int x;
    int y;
    int w;
    int h;
    const char* image;
};

class button {
  public:
    button() = default;
    button(const button&) = delete;
    button& operator=(const button&) = delete;
    ~button();

    void load_button(int x, int y, int height, const std::string& image_file, int width);
    void load_button(const widget_place& place) {
        load_button(place.x, place.y, place.h, place.image, place.w);
    }
    void show();
    void handle_events(const SDL_Event& event);
    void reset();

    bool clicked() const { return clicked_; }
    bool selected() const { return selected_; }
    void set_clicked(bool value) { clicked_ = value; }
    void set_selected(bool value) { selected_ = value; }
    void set_normal_frame() { current_ = &normal_; }
    void set_hover_frame() { current_ = &hover_; }
    void set_pressed_frame() { current_ = &pressed_; }
    const SDL_Rect& box() const { return box_; }
    const SDL_Rect* current_frame() const { return current_; }
    const SDL_Rect& normal_frame() const { return normal_; }
    const SDL_Rect& pressed_frame() const { return pressed_; }
    const SDL_Rect& hover_frame() const { return hover_; }
    SDL_Surface* image() const { return image_; }

  private:
    void press();
    void release_frame();

    SDL_Rect box_{0, 0, 0, 0};
    SDL_Rect normal_{0, 0, 0, 0};
    SDL_Rect pressed_{0, 0, 0, 0};
    SDL_Rect hover_{0, 0, 0, 0};
    SDL_Rect* current_ = &normal_;
    SDL_Surface* image_ = nullptr;
    bool clicked_ = false;
    bool selected_ = false;
};

class static_image {
  public:
    static_image() = default;
    static_image(const static_image&) = delete;
    static_image& operator=(const static_image&) = delete;
    ~static_image();

    void load(int x, int y, int width, int height, const std::string& image_file);
    void load(const widget_place& place) { load(place.x, place.y, place.w, place.h, place.image); }
    void show();
    const SDL_Rect& box() const { return box_; }
    SDL_Surface* image() const { return image_; }

  private:
    SDL_Rect box_{0, 0, 0, 0};
    SDL_Surface* image_ = nullptr;
};

}  // namespace rx
