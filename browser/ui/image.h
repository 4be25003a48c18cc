// Artwork loading from the images folder with the cyan colour key, and the shared blit.
#pragma once
#include <SDL.h>

#include <string>

namespace rx {

// get_directory + images + file; converted to the display format, cyan (0,255,255) transparent.
// Null on failure.
SDL_Surface* load_image(const std::string& file_name);

// Blits `source` (or its `clip` part) with its top-left corner at (x, y) of `destination`.
int blit_at(int x, int y, SDL_Surface* source, SDL_Surface* destination, SDL_Rect* clip = nullptr);

// Strictly inside: a point on the border is outside.
bool inside(const SDL_Rect& box, int x, int y);

}  // namespace rx
