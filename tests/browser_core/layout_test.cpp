// Every widget table of the login and controls screens fits the 800 x 600 window and matches its
// artwork.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/app/app.h"
#include "browser/app/screens.h"
#include "browser/controls/console_screen.h"
#include "browser/controls/rx_controls_input.h"
#include "browser/screens/rx_login_input.h"
#include "tests/browser_core/sdl_support.h"
#include "widgets/image.h"

namespace rx {
namespace {

struct named_layout {
    std::string screen;
    std::vector<laid_widget> widgets;
};

std::vector<named_layout> layouts() {
    std::vector<named_layout> all;
    std::vector<laid_widget> menu;
    for (const widget_place& w : rx_controls_input::layout()) menu.push_back({w, 3});
    all.push_back({"rx_controls_input", menu});
    for (const auto& c : screens().consoles()) all.push_back({c->class_name(), c->layout()});
    // The login screen's name is lettering: the overlap check below keeps every widget off it.
    std::vector<laid_widget> login;
    for (const widget_place& w : rx_login_input::layout()) {
        const std::string image = w.image;
        login.push_back({w, image.rfind("button_", 0) == 0 ? 3 : image == "checkbox.png" ? 2 : 1});
    }
    all.push_back({"rx_login_input", login});
    return all;
}

TEST(Layout, EveryWidgetFitsTheWindowAndNoneOverlap) {
    for (const auto& l : layouts()) {
        ASSERT_FALSE(l.widgets.empty());
        for (std::size_t i = 0; i < l.widgets.size(); ++i) {
            const widget_place& w = l.widgets[i].place;
            EXPECT_GE(w.x, 0) << l.screen << " " << w.name;
            EXPECT_GE(w.y, 0) << l.screen << " " << w.name;
            EXPECT_GT(w.w, 0) << l.screen << " " << w.name;
            EXPECT_GT(w.h, 0) << l.screen << " " << w.name;
            EXPECT_LE(w.x + w.w, 800) << l.screen << " " << w.name;
            EXPECT_LE(w.y + w.h, 600) << l.screen << " " << w.name;
            for (std::size_t j = i + 1; j < l.widgets.size(); ++j) {
                const widget_place& v = l.widgets[j].place;
                const bool apart =
                    w.x + w.w <= v.x || v.x + v.w <= w.x || w.y + w.h <= v.y || v.y + v.h <= w.y;
                EXPECT_TRUE(apart) << l.screen << " " << w.name << " overlaps " << v.name;
            }
        }
    }
    EXPECT_EQ(rx_controls_input::layout().size(), 1u + rx_controls_input::console_count);
}

TEST(Layout, LoginScreenShowsTheNameBelowTheMessageLine) {
    const widget_place& name = rx_login_input::layout().front();
    EXPECT_EQ(std::string(name.image), "static_relicade.png");
    // The message line (20-point text at the top left) is drawn over every screen.
    EXPECT_GE(name.y, 30);
    EXPECT_EQ(rx_login_input::layout().size(), 13u);
}

TEST(Layout, ConsoleScreensHaveTheirRowsAndButtons) {
    console_screen& gameboy = screens().of("GB");
    EXPECT_EQ(gameboy.rows(), 10);
    EXPECT_EQ(gameboy.columns(), 1);
    EXPECT_EQ(gameboy.players(), 1);
    // Home, Back, 10 labels, information, 10 boxes, Set All, Save Settings.
    EXPECT_EQ(gameboy.layout().size(), 25u);
    console_screen& atari = screens().of("2600");
    EXPECT_EQ(atari.rows(), 5);
    EXPECT_EQ(atari.players(), 2);
    // Home, Back, two player labels and boxes, 5 labels, information, 5 boxes; no Set All or Save.
    EXPECT_EQ(atari.layout().size(), 17u);
}

class LayoutArtwork : public test::sdl_test {};

TEST_F(LayoutArtwork, EveryImageHoldsItsFramesAtItsSize) {
    RX_REQUIRE_ARTWORK();
    for (const auto& l : layouts()) {
        for (const laid_widget& lw : l.widgets) {
            const widget_place& w = lw.place;
            SDL_Surface* image = load_image(w.image);
            ASSERT_NE(image, nullptr) << w.image;
            EXPECT_EQ(image->w, lw.artwork_width != 0 ? lw.artwork_width : lw.frames * w.w)
                << l.screen << " " << w.image;
            EXPECT_EQ(image->h, w.h) << l.screen << " " << w.image;
            SDL_FreeSurface(image);
        }
    }
}

}  // namespace
}  // namespace rx
