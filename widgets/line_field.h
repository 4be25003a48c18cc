// The one-line text fields' shared part: artwork and font, focus by the pointer, the caret blink.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

namespace rx {

class line_field {
  public:
    line_field(const line_field&) = delete;
    line_field& operator=(const line_field&) = delete;
    virtual ~line_field();

    void show();
    void handle_events(const SDL_Event& event);

    bool focused() const { return focused_; }
    // Focus given by the screen (Tab) shows the caret at once.
    void set_focused(bool value) { focused_ = caret_visible_ = value; }
    bool caret_visible() const { return caret_visible_; }
    const SDL_Rect& box() const { return box_; }

  protected:
    // `name` is the class the error log names; the background shows the box's size from its
    // top-left corner.
    line_field(const char* name, SDL_Rect box);

    // Loads the background from the images folder and the font (size 20) from the program folder.
    void load_field(const std::string& background_file, const std::string& font_file);

    SDL_Rect box_;
    TTF_Font* font_ = nullptr;
    const SDL_Color colour_{0, 0, 0, 0};

  private:
    // A key pressed while the field has focus: take its character or remove the last one.
    virtual void type(const SDL_keysym& key) = 0;
    // The keys that move the focus to the field under the pointer.
    virtual bool moves_focus(SDLKey key) const = 0;
    // Brings the shown text up to date (caret appended when `caret`); true when it changed.
    virtual bool update_shown(bool caret) = 0;
    // The shown text drawn in the font; null when it is empty.
    virtual SDL_Surface* render_shown() = 0;

    const char* name_;
    SDL_Rect frame_;
    SDL_Surface* background_ = nullptr;
    SDL_Surface* rendered_ = nullptr;
    // The text surface is drawn again only when the shown text or the font changed, not every
    // frame.
    bool rendered_stale_ = true;
    bool focused_ = false;
    bool caret_visible_ = false;
    int frame_counter_ = 0;
};

}  // namespace rx
