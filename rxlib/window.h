// The loading window shown while rx_init connects and downloads: artwork, status, progress and
// Cancel.
#pragma once
#include <cstdint>
#include <string>

union SDL_Event;

namespace rx::lib::window {

// Opens the window (800 x 600 full screen or 400 x 150) and reads the embedded artwork and font.
bool load_images(bool fullscreen);
void draw();
// Cancel (strictly inside the button) and the Pause key end the process; everything else is
// ignored.
void handle_event(const SDL_Event& event);
// Hands every pending event to handle_event.
void pump_events();
void free_images();
void close_font();

void set_status(const std::string& text);
void set_progress(std::uint32_t received, std::uint32_t total);
void show_progress();

// For tests: the current texts and bar position.
const std::string& status_text();
const std::string& progress_text();
int bar_offset();
bool progress_visible();

}  // namespace rx::lib::window
