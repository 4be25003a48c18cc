// Every widget table of the controls screens fits the 800 x 600 window and matches its artwork.
#include <gtest/gtest.h>

#include <vector>

#include "browser/controls/console_screen.h"
#include "browser/controls/rx_controls_input.h"
#include "browser/ui/image.h"
#include "tests/browser_core/sdl_support.h"

namespace rx {
namespace {

struct named_layout {
    const char* screen;
    const std::vector<widget_place>* widgets;
};

std::vector<named_layout> layouts() {
    return {{"rx_controls_input", &rx_controls_input::layout()},
            {"console_screen", &console_screen::layout()}};
}

TEST(Layout, EveryWidgetFitsTheWindowAndNoneOverlap) {
    for (const auto& l : layouts()) {
        ASSERT_FALSE(l.widgets->empty());
        for (std::size_t i = 0; i < l.widgets->size(); ++i) {
            const widget_place& w = (*l.widgets)[i];
            EXPECT_GE(w.x, 0) << l.screen << " " << w.name;
            EXPECT_GE(w.y, 0) << l.screen << " " << w.name;
            EXPECT_GT(w.w, 0) << l.screen << " " << w.name;
            EXPECT_GT(w.h, 0) << l.screen << " " << w.name;
            EXPECT_LE(w.x + w.w, 800) << l.screen << " " << w.name;
            EXPECT_LE(w.y + w.h, 600) << l.screen << " " << w.name;
            for (std::size_t j = i + 1; j < l.widgets->size(); ++j) {
                const widget_place& v = (*l.widgets)[j];
                const bool apart =
                    w.x + w.w <= v.x || v.x + v.w <= w.x || w.y + w.h <= v.y || v.y + v.h <= w.y;
                EXPECT_TRUE(apart) << l.screen << " " << w.name << " overlaps " << v.name;
            }
        }
    }
    EXPECT_EQ(rx_controls_input::layout().size(), 1u + rx_controls_input::console_count);
}

class LayoutArtwork : public test::sdl_test {};

TEST_F(LayoutArtwork, EveryButtonImageIsThreeFramesOfItsSize) {
    RX_REQUIRE_ARTWORK();
    for (const auto& l : layouts()) {
        for (const widget_place& w : *l.widgets) {
            SDL_Surface* image = load_image(w.image);
            ASSERT_NE(image, nullptr) << w.image;
            EXPECT_EQ(image->w, 3 * w.w) << w.image;
            EXPECT_EQ(image->h, w.h) << w.image;
            SDL_FreeSurface(image);
        }
    }
}

}  // namespace
}  // namespace rx
