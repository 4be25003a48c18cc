// Input latency of each test game: frames from pressing Right to the first changed picture, through
// the core alone and through the player's frame order. The frontend must add no frame to the game's
// own lag.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files.h"
#include "retro/logic/libretro_core.h"
#include "retro/logic/play_keys.h"

using namespace rx::retro;

namespace {

struct latency_case {
    const char* file;  // in the build's games folder
    const char* core;  // in the program folder's cores/
};

const latency_case games[] = {
    {"relicade_nes.nes", "nestopia_libretro.so"},
    {"relicade_gb.gb", "gambatte_libretro.so"},
    {"relicade_gba.gba", "mgba_libretro.so"},
    {"relicade_snes.sfc", "bsnes_mercury_performance_libretro.so"},
    {"relicade_pce.pce", "mednafen_pce_fast_libretro.so"},
    {"relicade_genesis.gen", "libblastem.so"},
    {"relicade_sms.sms", "libblastem.so"},
    {"relicade_gg.gg", "libblastem.so"},
};

class GameLatency : public ::testing::TestWithParam<latency_case> {
  protected:
    // Frames to the first changed picture in a fresh start of the game.
    int measure(bool frontend) {
        const latency_case& g = GetParam();
        core_settings settings;
        settings.system_folder = settings.save_folder = folder.path();
        settings.game_label = g.file;
        std::string error;
        auto game = core::open(rx::test::program_dir() + "/cores/" + g.core, settings, error);
        EXPECT_TRUE(game) << error;
        if (!game) return -2;
        const std::string image = rx::test::read_file(std::string(RX_GAMES_DIR) + "/" + g.file);
        EXPECT_TRUE(game->load_game(reinterpret_cast<const unsigned char*>(image.data()),
                                    image.size(), error))
            << error;
        return frames_to_first_change(*game, pad_bit(pad_right), frontend);
    }
    rx::test::temp_dir folder{"rx_latency_test"};
};

TEST_P(GameLatency, TheFrontendAddsNoFrameToTheGamesOwnLag) {
    const int own = measure(false);
    const int through_player = measure(true);
    ASSERT_GT(own, 0) << "Right never changed the picture";
    EXPECT_EQ(through_player, own);
    RecordProperty("own_lag_frames", own);
    RecordProperty("player_lag_frames", through_player);
}

INSTANTIATE_TEST_SUITE_P(games, GameLatency, ::testing::ValuesIn(games),
                         [](const ::testing::TestParamInfo<latency_case>& info) {
                             std::string name = info.param.file;
                             return name.substr(9, name.find('.') - 9);
                         });

}  // namespace
