// The player's display-free pieces: console choice, sound rate control, picture placement and
// pixels, frame pacing and the save interval.
#include <gtest/gtest.h>

#include <cmath>

#include "retro/logic/console.h"
#include "retro/logic/picture.h"
#include "retro/logic/sound.h"
#include "retro/logic/timing.h"

namespace {

using namespace rx::retro;

TEST(RetroConsole, TheSchemeChoosesTheCore) {
    struct row {
        const char* launch;
        const char* core;
        const char* emulator;
        const char* console;
    };
    const row rows[] = {
        {"rxgbc://u:p@h/g", "gambatte_libretro.so", "vba", "Gameboy"},
        {"rxgba://u:p@h/g", "mgba_libretro.so", "vba", "Gameboy Advance"},
        {"rxnes://u:p@h/g", "nestopia_libretro.so", "nester", "Nintendo Entertainment System"},
        {"zsnes://u:p@h/g", "bsnes_mercury_performance_libretro.so", "zsnes",
         "Super Nintendo Entertainment System"},
        {"rxpce://u:p@h/g", "mednafen_pce_fast_libretro.so", "ootake", "Turbo Graphics 16"},
        {"rxgen://u:p@h/g", "libblastem.so", "gens", "Sega Genesis"},
        // The Game Gear's row comes first; the image tells it from the Master System.
        {"rxsms://u:p@h/g", "libblastem.so", "meka", "Sega Gamegear"},
    };
    for (const row& r : rows) {
        auto entry = console_of_launch(r.launch);
        ASSERT_TRUE(entry) << r.launch;
        EXPECT_EQ(entry->core_library, r.core);
        ASSERT_NE(entry->emulator, nullptr) << r.launch;
        EXPECT_EQ(entry->emulator->name, r.emulator);
        EXPECT_EQ(entry->console_name, r.console);
    }
    for (const char* other : {"rxa26://u:p@h/g", "rxn64://u:p@h/g", "rxnes:/u", "RXNES://u", ""}) {
        EXPECT_FALSE(console_of_launch(other)) << other;
    }
}

TEST(RetroSound, TheRateMovesAtMostHalfAPercentTowardsTheTarget) {
    rate_controller control(3000, 8000);
    EXPECT_DOUBLE_EQ(control.factor(3000), 1.0);
    EXPECT_DOUBLE_EQ(control.factor(0), 1.0 + 0.005 * 3000 / 5000);
    EXPECT_GT(control.factor(1000), 1.0);
    EXPECT_LT(control.factor(6000), 1.0);
    EXPECT_DOUBLE_EQ(control.factor(8000), 0.995);
    EXPECT_DOUBLE_EQ(control.factor(100000), 0.995);
}

TEST(RetroSound, UnevenBlocksResampleToTheDueCountWithoutDrift) {
    // The GBA core's 32768 Hz in blocks of 512 where about 548 are due, played at 48000 Hz.
    resampler r(32768, 48000);
    std::vector<std::int16_t> in(2 * 566), out;
    std::size_t given = 0;
    for (int block = 0; block < 600; ++block) {
        std::size_t frames = block % 3 == 0 ? 512 : 566;
        for (std::size_t i = 0; i < frames; ++i) {
            in[2 * i] = static_cast<std::int16_t>(1000);
            in[2 * i + 1] = static_cast<std::int16_t>(-1000);
        }
        r.process(in.data(), frames, 1.0, out);
        given += frames;
    }
    const double due = given * 48000.0 / 32768.0;
    EXPECT_NEAR(out.size() / 2.0, due, 1.0);
    // A constant signal stays constant across block joins, apart from the ramp up from silence.
    for (std::size_t i = 4; i < out.size(); i += 2) {
        ASSERT_EQ(out[i], 1000) << i;
        ASSERT_EQ(out[i + 1], -1000) << i;
    }
    // A factor asks for that many more frames.
    std::vector<std::int16_t> faster;
    resampler f(32768, 48000);
    for (int block = 0; block < 100; ++block) f.process(in.data(), 512, 1.005, faster);
    EXPECT_NEAR(faster.size() / 2.0, 100 * 512 * 48000.0 / 32768.0 * 1.005, 1.0);
}

TEST(RetroSound, InterpolatesBetweenSamples) {
    resampler r(1, 2);
    std::vector<std::int16_t> in = {0, 0, 100, -100, 200, -200}, out;
    r.process(in.data(), 3, 1.0, out);
    EXPECT_EQ(out, (std::vector<std::int16_t>{0, 0, 0, 0, 0, 0, 50, -50, 100, -100, 150, -150}));
}

TEST(RetroPicture, WholeMultiplesWhereTheyFitAndTheAspectKept) {
    struct row {
        unsigned w, h;
        double aspect;
        rect expected;
    };
    const row rows[] = {
        {160, 144, 10.0 / 9.0, {80, 12, 640, 576}},  // Gameboy: four times
        {240, 160, 1.5, {40, 60, 720, 480}},         // Gameboy Advance: three times
        {256, 224, 4.0 / 3.0, {101, 76, 597, 448}},  // NES: twice as high, 4:3 wide
        {256, 239, 4.0 / 3.0, {81, 61, 637, 478}},   // PC Engine
        {512, 448, 4.0 / 3.0, {101, 76, 597, 448}},  // SNES high resolution: once
        {320, 640, 4.0 / 3.0, {0, 0, 800, 600}},     // taller than the window: as large as fits
        {1000, 100, 10.0, {0, 260, 800, 80}},        // wider than the window
    };
    for (const row& r : rows) {
        rect got = picture_rect(r.w, r.h, r.aspect, 800, 600);
        EXPECT_EQ(got, r.expected) << r.w << "x" << r.h << " got " << got.x << "," << got.y << " "
                                   << got.w << "x" << got.h;
    }
    EXPECT_EQ(picture_rect(0, 144, 1.0, 800, 600), rect{});
}

TEST(RetroPicture, PixelLayoutsWidenToFullRange) {
    EXPECT_EQ(xrgb_of_565(0xFFFF), 0xFFFFFFu);
    EXPECT_EQ(xrgb_of_565(0xF800), 0xFF0000u);
    EXPECT_EQ(xrgb_of_565(0x07E0), 0x00FF00u);
    EXPECT_EQ(xrgb_of_565(0x001F), 0x0000FFu);
    EXPECT_EQ(xrgb_of_565(0x8410), 0x848284u);
    EXPECT_EQ(xrgb_of_1555(0x7FFF), 0xFFFFFFu);
    EXPECT_EQ(xrgb_of_1555(0x8000), 0u);  // the unused top bit is ignored
    EXPECT_EQ(xrgb_of_1555(0x7C00), 0xFF0000u);
    EXPECT_EQ(xrgb_of_1555(0x03E0), 0x00FF00u);
    EXPECT_EQ(xrgb_of_1555(0x0010), 0x000084u);
}

TEST(RetroPicture, ScalesEachFormatNearestNeighbour) {
    // 2x2 frames with a padded pitch, drawn 3x4 into a wider target.
    const std::uint16_t p565[2][3] = {{0xF800, 0x07E0, 0x1234}, {0x001F, 0xFFFF, 0x1234}};
    const std::uint16_t p1555[2][3] = {{0x7C00, 0x03E0, 0}, {0x001F, 0x7FFF, 0}};
    const std::uint32_t p8888[2][3] = {{0xAAFF0000, 0x00FF00, 0}, {0x0000FF, 0xFFFFFF, 0}};
    const frame_view frames[] = {{p565, 2, 2, sizeof p565[0], pixel_format::rgb565},
                                 {p1555, 2, 2, sizeof p1555[0], pixel_format::xrgb1555},
                                 {p8888, 2, 2, sizeof p8888[0], pixel_format::xrgb8888}};
    const std::uint32_t R = 0xFF0000, G = 0xFF00, B = 0xFF, W = 0xFFFFFF, X = 0x77777777;
    for (const frame_view& f : frames) {
        std::vector<std::uint32_t> target(5 * 4, X);
        picture_scaler scaler;
        scaler.draw(f, target.data(), 5 * sizeof(std::uint32_t), rect{0, 0, 3, 4});
        EXPECT_EQ(target, (std::vector<std::uint32_t>{R, R, G, X, X,  //
                                                      R, R, G, X, X,  //
                                                      B, B, W, X, X,  //
                                                      B, B, W, X, X}))
            << static_cast<int>(f.format);
    }
}

TEST(RetroTiming, FramesFollowTheCoresRateWithoutCatchingUpAStall) {
    frame_pacer pacer(60.0988, 0);
    double now = 0;
    for (int i = 0; i < 6010; ++i) {
        now += pacer.wait_ms(now);
        pacer.frame_done(now);
    }
    // 6010 frames at 60.0988 Hz take 100 s.
    EXPECT_NEAR(now, 6010 * 1000 / 60.0988 - 1000 / 60.0988, 0.01);
    EXPECT_GT(pacer.wait_ms(now), 16.0);
    // A two-second stall: the next frame runs at once, then the pace resumes from there.
    now += 2000;
    EXPECT_EQ(pacer.wait_ms(now), 0);
    pacer.frame_done(now);
    EXPECT_NEAR(pacer.wait_ms(now), 1000 / 60.0988, 1e-9);
}

}  // namespace
