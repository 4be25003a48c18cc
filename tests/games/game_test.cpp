// Each test game under its console's core without a window: the known picture in the first frames,
// the square the pad moves, and the start counter that comes back from battery memory.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "files.h"
#include "platform/dynamic_library.h"
#include "platform/process.h"
#include "retro/logic/libretro_core.h"
#include "retro/logic/save_file.h"

using namespace rx::retro;

namespace {

using rgb = std::array<int, 3>;

// What a game shows after its first start, in the core's own colours.
struct game_case {
    const char* file;  // in the build's games folder
    const char* core;  // in the program folder's cores/
    rgb background, unlit, lit, square;
    int box_x, box_y, box_size;  // the leftmost of the eight counter boxes
    int square_x, square_y, square_size;
    std::size_t save_at = 0;  // where the game's record starts in battery memory
};

// clang-format off
const game_case games[] = {
    // file               core                    background      unlit box        lit box          square         boxes       square
    {"relicade_nes.nes", "nestopia_libretro.so", {21, 60, 254},   {88, 88, 88},    {255, 255, 255}, {210, 44, 0},  96, 24, 8,  124, 108, 8},
    {"relicade_gb.gb",   "gambatte_libretro.so", {160, 160, 160}, {80, 80, 80},    {248, 248, 248}, {0, 0, 0},     48, 16, 8,  76, 68, 8},
    {"relicade_gbc.gbc", "gambatte_libretro.so", {16, 64, 168},   {80, 80, 80},    {248, 248, 248}, {200, 0, 48},  48, 16, 8,  76, 68, 8},
    {"relicade_gba.gba", "mgba_libretro.so",     {0, 0, 248},     {80, 80, 80},    {248, 248, 248}, {248, 0, 0},   88, 16, 8,  116, 76, 8},
    {"relicade_snes.sfc", "bsnes_mercury_performance_libretro.so",
                                            {0, 0, 255},     {82, 82, 82},    {255, 255, 255}, {255, 0, 0},   96, 32, 8,  124, 108, 8},
    {"relicade_pce.pce", "mednafen_pce_fast_libretro.so",
                                            {0, 0, 248},     {104, 108, 104}, {248, 252, 248}, {248, 0, 0},   96, 32, 8,  124, 116, 8, 16},
    // The Sega core is built from source with our patch (scripts/build_blastem.sh). The Master
    // System's frame keeps 16 lines of border above its picture; the Game Gear's is its window.
    {"relicade_genesis.gen", "libblastem.so", {0, 0, 255},    {87, 87, 87},    {255, 255, 255}, {255, 0, 0},   128, 32, 8, 156, 108, 8},
    {"relicade_sms.sms", "libblastem.so",   {0, 0, 255},     {87, 87, 87},    {255, 255, 255}, {255, 0, 0},   80, 64, 8,  108, 116, 8},
    {"relicade_gg.gg",   "libblastem.so",   {0, 85, 170},    {85, 85, 85},    {255, 255, 255}, {255, 85, 0},  32, 24, 8,  60, 76, 8},
};
// clang-format on

// The Windows build runs these under Wine against the game images the Linux build made, named at
// run time.
std::string games_dir() {
    const std::string named = rx::platform::get_environment("RX_GAMES_DIR");
    return named.empty() ? RX_GAMES_DIR : named;
}

std::string core_path(const char* linux_name) {
    return rx::test::program_dir() + "/cores/" + rx::platform::library_file_name(linux_name);
}

rgb pixel(const frame_view& f, int x, int y) {
    const auto* row = static_cast<const unsigned char*>(f.data) + f.pitch * y;
    if (f.format == pixel_format::xrgb8888) {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return {int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)};
    }
    std::uint16_t v;
    std::memcpy(&v, row + 2 * x, 2);
    if (f.format == pixel_format::rgb565)
        return {int(v >> 11) << 3, int(v >> 5 & 63) << 2, int(v & 31) << 3};
    return {int(v >> 10 & 31) << 3, int(v >> 5 & 31) << 3, int(v & 31) << 3};
}

struct box {
    int left = -1, top = -1, right = -1, bottom = -1;  // inclusive; -1: colour not seen
    int count = 0;
};

// Where a colour is on the frame.
box find_colour(const frame_view& f, const rgb& colour) {
    box b;
    for (int y = 0; y < int(f.height); ++y)
        for (int x = 0; x < int(f.width); ++x) {
            if (pixel(f, x, y) != colour) continue;
            if (b.count++ == 0) b = {x, y, x, y, 1};
            b.left = std::min(b.left, x);
            b.right = std::max(b.right, x);
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y);
        }
    return b;
}

// The Windows folder has the five libretro cores but no Sega core.
bool core_on_this_system(const char* linux_name) {
#ifdef _WIN32
    return std::string_view(linux_name) != "libblastem.so";
#else
    (void)linux_name;
    return true;
#endif
}

class TestGame : public ::testing::TestWithParam<game_case> {
  protected:
    void SetUp() override {
        if (!core_on_this_system(GetParam().core))
            GTEST_SKIP() << "no " << GetParam().core << " here";
    }

    std::unique_ptr<core> start(const std::vector<unsigned char>& save = {}) {
        const game_case& g = GetParam();
        std::string error;
        core_settings settings;
        settings.system_folder = settings.save_folder = folder.path();
        settings.game_label = g.file;
        auto c = core::open(core_path(g.core), settings, error);
        EXPECT_TRUE(c) << error;
        if (!c) return c;
        const std::string game = rx::test::read_file(games_dir() + "/" + g.file);
        EXPECT_FALSE(game.empty()) << g.file;
        EXPECT_TRUE(
            c->load_game(reinterpret_cast<const unsigned char*>(game.data()), game.size(), error))
            << error;
        if (!save.empty()) {
            // mgba offers its largest save memory until the game's first write shows the kind
            // (32 KiB of static memory here); the saved part goes first, the rest reads erased.
            std::vector<unsigned char> whole = save;
            if (whole.size() < c->save_size()) whole.resize(c->save_size(), 0xFF);
            EXPECT_TRUE(c->write_save(whole.data(), whole.size()));
        }
        return c;
    }

    static void run(core& c, int frames, std::uint16_t buttons = 0) {
        c.set_buttons(0, buttons);
        for (int i = 0; i < frames; ++i) c.run_frame();
    }

    // The counter the eight boxes show, highest bit first; -1 when a box is neither colour.
    static int shown_counter(const frame_view& f, const game_case& g) {
        int value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const int x = g.box_x + bit * g.box_size + g.box_size / 2;
            const rgb c = pixel(f, x, g.box_y + g.box_size / 2);
            if (c != g.lit && c != g.unlit) return -1;
            value = value << 1 | (c == g.lit);
        }
        return value;
    }

    rx::test::temp_dir folder{"rx_game_test"};
};

}  // namespace

TEST_P(TestGame, FirstFramesShowTheKnownPictureAndThePadMovesTheSquare) {
    const game_case& g = GetParam();
    auto c = start();
    ASSERT_TRUE(c && c->game_loaded());
    run(*c, 30);
    const frame_view& f = c->frame();
    ASSERT_NE(f.data, nullptr);
    EXPECT_EQ(pixel(f, 1, 1), g.background);
    EXPECT_EQ(pixel(f, int(f.width) - 2, int(f.height) - 2), g.background);
    EXPECT_EQ(shown_counter(f, g), 1);
    const box boxes = find_colour(f, g.unlit);
    EXPECT_EQ(boxes.count, 7 * g.box_size * g.box_size);
    EXPECT_EQ(boxes.left, g.box_x);
    EXPECT_EQ(boxes.top, g.box_y);
    const box square = find_colour(f, g.square);
    EXPECT_EQ(square.count, g.square_size * g.square_size);
    EXPECT_EQ(square.left, g.square_x);
    EXPECT_EQ(square.top, g.square_y);

    // Twenty frames of right, then twelve of up and left together: one pixel a frame.
    run(*c, 20, pad_bit(pad_right));
    run(*c, 12, pad_bit(pad_up) | pad_bit(pad_left));
    run(*c, 5);
    const box moved = find_colour(c->frame(), g.square);
    EXPECT_EQ(moved.count, g.square_size * g.square_size);
    EXPECT_EQ(moved.left, g.square_x + 20 - 12);
    EXPECT_EQ(moved.top, g.square_y - 12);
    // The rest of the picture stays as it was.
    EXPECT_EQ(shown_counter(c->frame(), g), 1);
}

TEST_P(TestGame, StartCounterComesBackFromBatteryMemory) {
    const game_case& g = GetParam();
    std::vector<unsigned char> save;
    {
        auto c = start();
        ASSERT_TRUE(c && c->game_loaded());
        ASSERT_GT(c->save_size(), g.save_at + 5);
        run(*c, 30);
        save = c->read_save();
    }
    const std::size_t at = g.save_at;
    ASSERT_EQ(std::string(save.begin() + at, save.begin() + at + 4), "RLCD");
    EXPECT_EQ(save[at + 4], 1);
    for (int start_number = 2; start_number <= 3; ++start_number) {
        auto c = start(save);
        ASSERT_TRUE(c);
        run(*c, 30);
        EXPECT_EQ(shown_counter(c->frame(), g), start_number);
        save = c->read_save();
        EXPECT_EQ(save[at + 4], start_number);
    }
    // A fresh cartridge (no save) starts counting at one again.
    auto fresh = start();
    ASSERT_TRUE(fresh);
    run(*fresh, 30);
    EXPECT_EQ(shown_counter(fresh->frame(), g), 1);
}

// The Gameboy test game as a cartridge with a clock (its header says MBC3 with timer, RAM and
// battery; the game uses no banking, so it runs the same): the clock goes into the save file and
// comes back into a fresh core.
TEST(GameboyClock, TheCartridgeClockRoundTripsThroughTheSaveFile) {
    rx::test::temp_dir folder{"rx_game_rtc"};
    std::string game = rx::test::read_file(games_dir() + "/relicade_gb.gb");
    ASSERT_GT(game.size(), 0x14Eu);
    game[0x147] = 0x10;
    unsigned char check = 0;
    for (std::size_t i = 0x134; i <= 0x14C; ++i)
        check = check - static_cast<unsigned char>(game[i]) - 1;
    game[0x14D] = static_cast<char>(check);
    auto start = [&] {
        core_settings settings;
        settings.system_folder = settings.save_folder = folder.path();
        settings.game_label = "relicade_gb.gb";
        std::string error;
        auto c = core::open(core_path("gambatte_libretro.so"), settings, error);
        EXPECT_TRUE(c) << error;
        if (c) {
            EXPECT_TRUE(c->load_game(reinterpret_cast<const unsigned char*>(game.data()),
                                     game.size(), error))
                << error;
        }
        return c;
    };
    std::vector<unsigned char> file;
    std::vector<unsigned char> clock;
    {
        auto c = start();
        ASSERT_TRUE(c && c->game_loaded());
        clock = c->read_rtc();
        ASSERT_EQ(clock.size(), 8u);
        for (std::size_t i = 0; i < clock.size(); ++i)
            clock[i] = static_cast<unsigned char>(0x11 * (i + 1));
        ASSERT_TRUE(c->write_rtc(clock.data(), clock.size()));
        EXPECT_FALSE(c->write_rtc(clock.data(), 4));  // another cartridge's clock
        for (int i = 0; i < 30; ++i) c->run_frame();
        file = pack_save(c->read_save(), c->read_rtc());
    }
    const unpacked_save back =
        unpack_save(std::string_view(reinterpret_cast<const char*>(file.data()), file.size()));
    ASSERT_EQ(back.clock.size(), 8u);
    auto c = start();
    ASSERT_TRUE(c);
    ASSERT_TRUE(c->write_save(back.memory.data(), back.memory.size()));
    ASSERT_TRUE(c->write_rtc(back.clock.data(), back.clock.size()));
    EXPECT_EQ(c->read_rtc(), back.clock);
    EXPECT_EQ(c->read_save(), back.memory);
    // The record the game wrote comes back with it.
    EXPECT_EQ(std::string(back.memory.begin(), back.memory.begin() + 4), "RLCD");
}

// The Game Gear patch of the Sega core, against the same program as a Master System image: the
// Game Gear's own colours, its window cut from the Master System's picture, and its Start button.
class GameGear : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!core_on_this_system("libblastem.so")) GTEST_SKIP() << "no Sega core here";
    }

    std::unique_ptr<core> start(const std::string& image) {
        core_settings settings;
        settings.system_folder = settings.save_folder = folder.path();
        std::string error;
        auto c = core::open(rx::test::program_dir() + "/cores/libblastem.so", settings, error);
        EXPECT_TRUE(c) << error;
        if (c) {
            EXPECT_TRUE(c->load_game(reinterpret_cast<const unsigned char*>(image.data()),
                                     image.size(), error))
                << error;
        }
        return c;
    }
    static std::string game(const char* name) {
        return rx::test::read_file(std::string(RX_GAMES_DIR) + "/" + name);
    }
    rx::test::temp_dir folder{"rx_game_gear"};
};

TEST_F(GameGear, ShowsItsWindowOfTheMasterSystemPictureInItsOwnColours) {
    std::vector<std::vector<rgb>> sms_frame;
    {
        auto sms = start(game("relicade_sms.sms"));
        ASSERT_TRUE(sms && sms->game_loaded());
        for (int i = 0; i < 30; ++i) sms->run_frame();
        const frame_view& f = sms->frame();
        ASSERT_EQ(f.width, 256u);
        ASSERT_EQ(f.height, 224u);
        for (int y = 0; y < 224; ++y) {
            sms_frame.emplace_back();
            for (int x = 0; x < 256; ++x) sms_frame.back().push_back(pixel(f, x, y));
        }
    }
    auto gg = start(game("relicade_gg.gg"));
    ASSERT_TRUE(gg && gg->game_loaded());
    for (int i = 0; i < 30; ++i) gg->run_frame();
    const frame_view& f = gg->frame();
    ASSERT_EQ(f.width, 160u);
    ASSERT_EQ(f.height, 144u);
    // The game writes each colour in the console's own format: 6 bits on the Master System, 12 on
    // the Game Gear (shades of 17 the Master System cannot show).
    // clang-format off
    const std::pair<rgb, rgb> colours[] = {
        {{0, 0, 255},     {0, 85, 170}},     // background
        {{87, 87, 87},    {85, 85, 85}},     // unlit box
        {{255, 255, 255}, {255, 255, 255}},  // lit box
        {{255, 0, 0},     {255, 85, 0}},     // square
    };
    // clang-format on
    // The window starts 48 pixels in and 24 lines down the picture, which the Master System's
    // frame shows below 16 lines of border.
    int mismatches = 0;
    for (int y = 0; y < 144; ++y)
        for (int x = 0; x < 160; ++x) {
            const rgb& sms_colour =
                sms_frame[static_cast<std::size_t>(y + 40)][static_cast<std::size_t>(x + 48)];
            rgb expected{-1, -1, -1};
            for (const auto& [from, to] : colours)
                if (from == sms_colour) expected = to;
            if (pixel(f, x, y) != expected && ++mismatches <= 5)
                ADD_FAILURE() << "at " << x << "," << y;
        }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(GameGear, StartIsReadOnlyOnTheGameGear) {
    const struct {
        const char* file;
        rgb square;  // while Start is held
    } cases[] = {
        {"relicade_gg.gg", {0, 255, 0}},    // the game turns the square green
        {"relicade_sms.sms", {255, 0, 0}},  // the Master System's pause button is no Start
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto g = start(game(c.file));
        ASSERT_TRUE(g && g->game_loaded());
        g->set_buttons(0, pad_bit(pad_start));
        for (int i = 0; i < 30; ++i) g->run_frame();
        EXPECT_EQ(find_colour(g->frame(), c.square).count, 64);
        g->set_buttons(0, 0);
        for (int i = 0; i < 5; ++i) g->run_frame();
        const bool stays = c.square == rgb{255, 0, 0};
        EXPECT_EQ(find_colour(g->frame(), c.square).count, stays ? 64 : 0);
    }
}

TEST_F(GameGear, TheHeaderRegionChoosesTheConsole) {
    // The Game Gear image with a Master System region code (4, outside Japan) plays as one.
    std::string image = game("relicade_gg.gg");
    ASSERT_EQ(image.size(), 0x10000u);
    // clang-format off
    const struct { unsigned char region; unsigned width; } cases[] = {
        {0x3C, 256}, {0x4C, 256}, {0x5C, 160}, {0x6C, 160}, {0x7C, 160},
    };
    // clang-format on
    for (const auto& c : cases) {
        image[0x7FFF] = static_cast<char>(c.region);
        auto g = start(image);
        ASSERT_TRUE(g && g->game_loaded());
        for (int i = 0; i < 5; ++i) g->run_frame();
        EXPECT_EQ(g->frame().width, c.width) << std::hex << int(c.region);
    }
}

INSTANTIATE_TEST_SUITE_P(Consoles, TestGame, ::testing::ValuesIn(games),
                         [](const ::testing::TestParamInfo<game_case>& info) {
                             std::string name = info.param.file;
                             return name.substr(9, name.find('.') - 9);
                         });
