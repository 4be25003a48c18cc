// Artwork loading from the images folder with the cyan colour key, the shared blit and text
// drawing.
#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

namespace rx {

// get_directory + images + file; converted to the display format, cyan (0,255,255) transparent.
// Null on failure.
SDL_Surface* load_image(const std::string& file_name);

// Blits `source` (or its `clip` part) with its top-left corner at (x, y) of `destination`.
int blit_at(int x, int y, SDL_Surface* source, SDL_Surface* destination, SDL_Rect* clip = nullptr);

// Frees the surface when there is one and clears the pointer, so a reload or a second free is safe.
void free_surface(SDL_Surface*& surface);

// Renders `text` and blits it at (x, y) of `destination`; an empty text, a missing font or a
// missing destination draws nothing.
void draw_text(TTF_Font* font, const std::string& text, SDL_Color colour, int x, int y,
               SDL_Surface* destination);

// Draws the dark background with `picture` at (x, y) and flips the window at once, so the page
// stands while a blocking download runs.
void show_loading_page(const std::string& picture, int x, int y);

// Strictly inside: a point on the border is outside.
bool inside(const SDL_Rect& box, int x, int y);

}  // namespace rx
