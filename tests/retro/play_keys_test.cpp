// The player's own keys: the pause menu's held combination, its choices, and fast-forward counted
// in the test core's frames.
#include "retro/logic/play_keys.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_core.h"
#include "platform/dynamic_library.h"
#include "retro/logic/timing.h"

namespace {

using namespace rx::retro;

pad_state pads(std::uint16_t port0, std::uint16_t port1 = 0) {
    pad_state p;
    p.mask[0] = port0;
    p.mask[1] = port1;
    return p;
}

constexpr std::uint16_t select_bit = 1u << pad_select, start_bit = 1u << pad_start;
constexpr std::uint16_t both = select_bit | start_bit;

struct combo_step {
    double at_ms;
    pad_state held;
    bool fires;
};

struct combo_case {
    const char* name;
    std::vector<combo_step> steps;
};

class combo : public ::testing::TestWithParam<combo_case> {};

TEST_P(combo, opens_the_menu_only_after_a_whole_second) {
    combo_hold hold;
    for (const combo_step& step : GetParam().steps) {
        EXPECT_EQ(hold.update(step.held, step.at_ms), step.fires) << "at " << step.at_ms;
    }
}

INSTANTIATE_TEST_SUITE_P(
    cases, combo,
    ::testing::Values(combo_case{"short_press_does_nothing",
                                 {{0, pads(both), false},
                                  {500, pads(both), false},
                                  {999, pads(both), false},
                                  {1000, pads(0), false},
                                  {3000, pads(0), false}}},
                      combo_case{"second_held_fires_once",
                                 {{0, pads(both), false},
                                  {1000, pads(both), true},
                                  {1016, pads(both), false},
                                  {5000, pads(both), false}}},
                      combo_case{"release_starts_the_count_again",
                                 {{0, pads(both), false},
                                  {700, pads(start_bit), false},
                                  {800, pads(both), false},
                                  {1600, pads(both), false},
                                  {1800, pads(both), true}}},
                      combo_case{"fires_again_after_letting_go",
                                 {{0, pads(both), false},
                                  {1000, pads(both), true},
                                  {1100, pads(0), false},
                                  {1200, pads(both), false},
                                  {2200, pads(both), true}}},
                      combo_case{"one_button_alone_never",
                                 {{0, pads(select_bit), false}, {2000, pads(select_bit), false}}},
                      combo_case{"split_over_two_pads_never",
                                 {{0, pads(select_bit, start_bit), false},
                                  {2000, pads(select_bit, start_bit), false}}},
                      combo_case{"second_pad_counts",
                                 {{0, pads(0, both | (1u << pad_a)), false},
                                  {1000, pads(0, both | (1u << pad_a)), true}}}),
    [](const ::testing::TestParamInfo<combo_case>& info) { return std::string(info.param.name); });

TEST(pause_menu_choices, resume_first_quit_below_and_back_always_resumes) {
    pause_menu menu;
    menu.open(pads(0));
    EXPECT_EQ(menu.selected(), pause_menu::item::resume);
    EXPECT_EQ(menu.press(pause_menu::input::confirm), pause_menu::result::resume);

    menu.open(pads(0));
    EXPECT_EQ(menu.press(pause_menu::input::down), pause_menu::result::stay);
    EXPECT_EQ(menu.selected(), pause_menu::item::quit);
    EXPECT_EQ(menu.press(pause_menu::input::back), pause_menu::result::resume);

    // Down twice (a key that is also a pad button arrives both ways) stays on Quit; Up goes back.
    menu.open(pads(0));
    menu.press(pause_menu::input::down);
    menu.press(pause_menu::input::down);
    EXPECT_EQ(menu.selected(), pause_menu::item::quit);
    menu.press(pause_menu::input::up);
    menu.press(pause_menu::input::up);
    EXPECT_EQ(menu.selected(), pause_menu::item::resume);
    menu.press(pause_menu::input::down);
    EXPECT_EQ(menu.press(pause_menu::input::confirm), pause_menu::result::quit);
    // Opening again starts from Resume, whatever was chosen last time.
    menu.open(pads(0));
    EXPECT_EQ(menu.selected(), pause_menu::item::resume);
}

TEST(pause_menu_choices, buttons_still_held_from_the_combination_are_not_presses) {
    pause_menu menu;
    menu.open(pads(both));
    EXPECT_TRUE(menu.pad_inputs(pads(both)).empty());
    EXPECT_TRUE(menu.pad_inputs(pads(select_bit)).empty());
    // Start let go and pressed again confirms; Down goes to Quit; B goes back.
    EXPECT_EQ(menu.pad_inputs(pads(both)),
              (std::vector<pause_menu::input>{pause_menu::input::confirm}));
    EXPECT_EQ(menu.pad_inputs(pads(both | (1u << pad_down))),
              (std::vector<pause_menu::input>{pause_menu::input::down}));
    EXPECT_EQ(menu.pad_inputs(pads(0, 1u << pad_b)),
              (std::vector<pause_menu::input>{pause_menu::input::back}));
}

class fast_forward : public ::testing::Test {
  protected:
    void SetUp() override {
        core_settings settings;
        settings.game_label = "Test Game";
        settings.log = [](const std::string&) {};
        std::string error;
        game_ = core::open(RX_FAKE_CORE, settings, error);
        ASSERT_TRUE(game_) << error;
        peek_ = rx::platform::dynamic_library::open(RX_FAKE_CORE, error);
        ASSERT_TRUE(peek_) << error;
        auto report_of =
            reinterpret_cast<const fake_core_report* (*)()>(peek_->symbol("fake_core_report_of"));
        ASSERT_TRUE(report_of);
        report_ = report_of();
        const std::vector<unsigned char> image(16, 'G');
        ASSERT_TRUE(game_->load_game(image.data(), image.size(), error)) << error;
    }
    // The core's own count of frames run over `ticks` paced frames.
    unsigned frames_over(int ticks, bool fast, std::size_t& sound) {
        const unsigned before = report_->frames_run;
        sound = 0;
        std::vector<std::int16_t> audio;
        for (int i = 0; i < ticks; ++i) {
            const int ran = run_tick(*game_, pads(1u << pad_right), fast, audio);
            EXPECT_EQ(ran, fast ? fast_forward_limit : 1);
            sound += audio.size();
        }
        return report_->frames_run - before;
    }

    std::unique_ptr<core> game_;
    std::unique_ptr<rx::platform::dynamic_library> peek_;
    const fake_core_report* report_ = nullptr;
};

TEST_F(fast_forward, runs_faster_than_normal_never_past_four_times_and_mutes) {
    std::size_t normal_sound = 0, fast_sound = 0;
    const unsigned normal = frames_over(30, false, normal_sound);
    const unsigned fast = frames_over(30, true, fast_sound);
    EXPECT_EQ(normal, 30u);
    EXPECT_GT(fast, normal);
    EXPECT_LE(fast, 4 * normal);
    EXPECT_GT(normal_sound, 0u);
    EXPECT_EQ(fast_sound, 0u);
    // Every frame of a fast tick plays the held buttons.
    EXPECT_EQ(report_->pad[0], 1u << pad_right);
    // Let go, the game is back to one frame per tick, with sound.
    std::size_t after_sound = 0;
    EXPECT_EQ(frames_over(10, false, after_sound), 10u);
    EXPECT_GT(after_sound, 0u);
}

// One second of play on a fake clock, paced as the player paces its ticks, where each tick itself
// takes `tick_ms` (a slow machine takes longer than a frame): fast-forward runs more core frames a
// second than normal play, and never more than four times the game's own rate.
TEST_F(fast_forward, frames_a_second_on_the_frame_clock) {
    struct row {
        const char* name;
        bool fast;
        double tick_ms;
        unsigned frames;  // core frames in the second
    };
    const double fps = 60.0988;  // the test core's rate
    // Ticks at 0, 16.64, ... 998.4 ms: 61 deadlines fall inside the second. Ticks of 30 ms fall
    // behind until the pacer, four frames late, starts counting from now: 31 fit.
    const row rows[] = {
        {"normal", false, 1, 61},
        {"fast", true, 1, 4 * 61},
        {"normal on a slow machine", false, 30, 31},
        {"fast on a slow machine", true, 30, 4 * 31},
    };
    for (const row& r : rows) {
        frame_pacer pacer(fps, 0);
        const unsigned before = report_->frames_run;
        std::vector<std::int16_t> audio;
        for (double now = 0; now < 1000;) {
            now += pacer.wait_ms(now);
            if (now >= 1000) break;
            run_tick(*game_, pads(0), r.fast, audio);
            now += r.tick_ms;
            pacer.frame_done(now);
        }
        const unsigned frames = report_->frames_run - before;
        EXPECT_EQ(frames, r.frames) << r.name;
        EXPECT_LE(frames, static_cast<unsigned>(fast_forward_limit * (fps + 1))) << r.name;
    }
}

TEST(RunningStats, MeanSpreadAndExtremesOfASeries) {
    struct row {
        std::vector<double> values;
        double mean, deviation, min, max;
    };
    const row rows[] = {
        {{}, 0, 0, 0, 0},
        {{16.7}, 16.7, 0, 16.7, 16.7},
        {{2, 4, 4, 4, 5, 5, 7, 9}, 5, 2, 2, 9},
        // Far from zero with a small spread: the sums must not cancel.
        {{1e9 + 1, 1e9 - 1, 1e9 + 1, 1e9 - 1}, 1e9, 1, 1e9 - 1, 1e9 + 1},
    };
    for (const row& r : rows) {
        running_stats stats;
        for (double v : r.values) stats.add(v);
        EXPECT_EQ(stats.count(), r.values.size());
        EXPECT_NEAR(stats.mean(), r.mean, 1e-9 * (1 + r.mean));
        EXPECT_NEAR(stats.deviation(), r.deviation, 1e-6);
        EXPECT_DOUBLE_EQ(stats.min(), r.min);
        EXPECT_DOUBLE_EQ(stats.max(), r.max);
    }
}

}  // namespace
