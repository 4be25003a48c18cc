// Frame placement, pixel layouts and the nearest-neighbour scaler.
#include "retro/logic/picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rx::retro {

rect picture_rect(unsigned frame_width, unsigned frame_height, double aspect, int window_width,
                  int window_height) {
    rect r;
    if (frame_width == 0 || frame_height == 0 || window_width <= 0 || window_height <= 0) return r;
    if (aspect <= 0) aspect = static_cast<double>(frame_width) / frame_height;
    int multiple = window_height / static_cast<int>(frame_height);
    int h = multiple * static_cast<int>(frame_height);
    int w = static_cast<int>(std::lround(h * aspect));
    if (multiple < 1 || w > window_width) {
        // No whole multiple fits: as large as the window holds at the right shape.
        h = window_height;
        w = static_cast<int>(std::lround(h * aspect));
        if (w > window_width) {
            w = window_width;
            h = std::min(window_height, static_cast<int>(std::lround(w / aspect)));
        }
    }
    r.w = std::max(1, w);
    r.h = std::max(1, h);
    r.x = (window_width - r.w) / 2;
    r.y = (window_height - r.h) / 2;
    return r;
}

namespace {

std::uint32_t widen5(unsigned v) {
    return (v << 3) | (v >> 2);
}
std::uint32_t widen6(unsigned v) {
    return (v << 2) | (v >> 4);
}

}  // namespace

std::uint32_t xrgb_of_1555(std::uint16_t p) {
    return widen5((p >> 10) & 31) << 16 | widen5((p >> 5) & 31) << 8 | widen5(p & 31);
}

std::uint32_t xrgb_of_565(std::uint16_t p) {
    return widen5((p >> 11) & 31) << 16 | widen6((p >> 5) & 63) << 8 | widen5(p & 31);
}

void picture_scaler::convert_row(const frame_view& frame, unsigned row) {
    row_.resize(frame.width);
    const auto* line = static_cast<const unsigned char*>(frame.data) + row * frame.pitch;
    switch (frame.format) {
        case pixel_format::xrgb8888: {
            const auto* in = reinterpret_cast<const std::uint32_t*>(line);
            for (unsigned x = 0; x < frame.width; ++x) row_[x] = in[x] & 0xFFFFFFu;
            break;
        }
        case pixel_format::rgb565:
        case pixel_format::xrgb1555: {
            std::vector<std::uint32_t>& table =
                frame.format == pixel_format::rgb565 ? table_565_ : table_1555_;
            if (table.empty()) {
                table.resize(65536);
                for (unsigned p = 0; p < 65536; ++p) {
                    table[p] = frame.format == pixel_format::rgb565
                                   ? xrgb_of_565(static_cast<std::uint16_t>(p))
                                   : xrgb_of_1555(static_cast<std::uint16_t>(p));
                }
            }
            const auto* in = reinterpret_cast<const std::uint16_t*>(line);
            for (unsigned x = 0; x < frame.width; ++x) row_[x] = table[in[x]];
            break;
        }
    }
}

void picture_scaler::draw(const frame_view& frame, std::uint32_t* target, std::size_t target_pitch,
                          const rect& place) {
    if (!frame.data || frame.width == 0 || frame.height == 0 || place.w <= 0 || place.h <= 0) {
        return;
    }
    if (columns_for_width_ != place.w || columns_for_frame_ != frame.width) {
        columns_.resize(static_cast<std::size_t>(place.w));
        for (int x = 0; x < place.w; ++x) {
            columns_[static_cast<std::size_t>(x)] =
                static_cast<unsigned>(static_cast<std::uint64_t>(x) * frame.width / place.w);
        }
        columns_for_width_ = place.w;
        columns_for_frame_ = frame.width;
    }
    auto* base = reinterpret_cast<unsigned char*>(target);
    unsigned converted = frame.height;  // none yet
    std::uint32_t* previous = nullptr;
    for (int y = 0; y < place.h; ++y) {
        auto* out =
            reinterpret_cast<std::uint32_t*>(base + static_cast<std::size_t>(y) * target_pitch);
        unsigned source =
            static_cast<unsigned>(static_cast<std::uint64_t>(y) * frame.height / place.h);
        if (source == converted && previous) {
            // The same source row again: copy the row already scaled.
            std::memcpy(out, previous, static_cast<std::size_t>(place.w) * sizeof(std::uint32_t));
        } else {
            convert_row(frame, source);
            for (int x = 0; x < place.w; ++x) out[x] = row_[columns_[static_cast<std::size_t>(x)]];
            converted = source;
        }
        previous = out;
    }
}

}  // namespace rx::retro
