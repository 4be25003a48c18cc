// The core's frame in the window: where it goes, and its pixels scaled and converted to 32-bit
// XRGB on the way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "retro/logic/libretro_core.h"

namespace rx::retro {

struct rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

// The picture's place in a window, centred and shown at `aspect` (width over height): a whole
// multiple of the frame's height when one fits, otherwise as large as the window allows.
rect picture_rect(unsigned frame_width, unsigned frame_height, double aspect, int window_width,
                  int window_height);

// One pixel of each layout as 32-bit XRGB (each channel widened by repeating its top bits).
std::uint32_t xrgb_of_1555(std::uint16_t pixel);
std::uint32_t xrgb_of_565(std::uint16_t pixel);

// Draws frames into 32-bit XRGB memory, nearest-neighbour; keeps its tables between frames.
class picture_scaler {
  public:
    // Fills `place.w` x `place.h` pixels from `target`, the picture's top-left pixel in the
    // destination; `target_pitch` is in bytes.
    void draw(const frame_view& frame, std::uint32_t* target, std::size_t target_pitch,
              const rect& place);

  private:
    void convert_row(const frame_view& frame, unsigned row);
    std::vector<std::uint32_t> table_1555_, table_565_;
    std::vector<std::uint32_t> row_;
    std::vector<unsigned> columns_;
    int columns_for_width_ = -1;
    unsigned columns_for_frame_ = 0;
};

}  // namespace rx::retro
