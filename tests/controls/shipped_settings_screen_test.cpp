// rx_retro's shipped settings files under the Gameboy, SNES, Turbo Graphics 16, Genesis and Master
// System screens: each opens on them showing rx_retro's own keys, and a captured key is saved into
// them and played.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browser/app/screens.h"
#include "retro/logic/bindings.h"
#include "retro/logic/shipped_settings.h"
#include "tests/browser_core/sdl_support.h"
#include "tests/controls/screen_input.h"

namespace rx {
namespace {

using namespace test::screen_input;
using retro::pad_binding;

using bindings_of = std::vector<pad_binding> (*)(std::optional<std::string_view>);

struct shipped_case {
    const char* file;
    console_screen& (*screen)();
    bindings_of bindings;
    int right_box_y;  // the first player's Right box (boxes start at x 160)
    int save_x, save_y;
};

const shipped_case cases[] = {
    {"vba.ini", []() -> console_screen& { return screens().of("GB"); }, retro::vba_bindings, 161,
     387, 380},
    {"zinput.cfg", []() -> console_screen& { return screens().of("SNES"); }, retro::zsnes_bindings,
     191, 387, 470},
    {"ootake.dat", []() -> console_screen& { return screens().of("PCE"); }, retro::ootake_bindings,
     191, 387, 345},
    {"gens.cfg", []() -> console_screen& { return screens().of("GEN"); }, retro::gens_bindings, 191,
     387, 440},
    // The Master System screen's first column is player 1's keyboard.
    {"meka.inp", []() -> console_screen& { return screens().of("SMS"); }, retro::meka_bindings, 221,
     465, 400},
};

// The first pad's Right is the fourth row on all three screens and in each file's bindings.
constexpr int right_row = 3;

class ShippedSettingsScreens : public test::sdl_test,
                               public ::testing::WithParamInterface<shipped_case> {
  protected:
    void SetUp() override {
        sdl_test::SetUp();
        controlbox::set_settle_wait([](Uint32) {});
    }
    void TearDown() override {
        controlbox::set_settle_wait(nullptr);
        app::clear_controls();
        sdl_test::TearDown();
    }
};

TEST_P(ShippedSettingsScreens, OpenOnTheFallbackKeysAndSaveACapture) {
    const shipped_case& c = GetParam();
    ASSERT_TRUE(retro::ship_settings(folder_.path() + "/").empty());
    const std::vector<pad_binding> fallback = c.bindings(std::nullopt);
    console_screen& s = c.screen();
    s.init();
    ASSERT_TRUE(s.load_controls());
    for (int row = 0; row < s.rows(); ++row)
        EXPECT_EQ(s.record(0, 0, row).id, fallback[static_cast<std::size_t>(row)].id) << row;

    click(s, 310, c.right_box_y);
    press(s, SDLK_l);
    save(s, c.save_x, c.save_y);
    EXPECT_EQ(folder_.read("error_log.txt"), "");

    // rx_retro now plays L for Right and everything else as before.
    const std::string saved = folder_.read(c.file);
    const std::vector<pad_binding> played = c.bindings(saved);
    ASSERT_EQ(played.size(), fallback.size());
    for (std::size_t i = 0; i < played.size(); ++i) {
        EXPECT_EQ(played[i].id, i == right_row ? input::key(38) : fallback[i].id) << i;
        EXPECT_EQ(played[i].source.has_value(), i == right_row || fallback[i].source.has_value())
            << i;
    }
    // The next build lays nothing over the user's keys.
    ASSERT_TRUE(retro::ship_settings(folder_.path() + "/").empty());
    EXPECT_EQ(folder_.read(c.file), saved);
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedSettingsScreens, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<shipped_case>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace rx
