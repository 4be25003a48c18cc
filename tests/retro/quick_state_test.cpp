// Quick saves and the window's notices: the state's name on the server, what the player is told,
// a state through the test core and back, and the play keys no shipped settings take.
#include "retro/logic/quick_state.h"

#include <SDL_keysym.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fake_core.h"
#include "files.h"
#include "platform/dynamic_library.h"
#include "platform/registry.h"
#include "retro/logic/bindings.h"
#include "retro/logic/shipped_settings.h"
#include "service/logic/games_folder.h"

namespace {

using namespace rx::retro;

TEST(QuickStateName, BesideTheBatterySaveAndWithinTheServersNameLimit) {
    EXPECT_EQ(state_name("relicade_nes.nes.sav"), "relicade_nes.nes.sst");
    // The longest id the catalogue accepts still names a state the game server takes.
    const std::string longest(rx::service::max_game_id, 'g');
    EXPECT_EQ(state_name(longest + ".sav").size(), rx::service::max_save_name);
    EXPECT_NE(state_name(longest + ".sav"), longest + ".sav");
}

// Only a state the server kept reads "Saved", only one the core took "Loaded"; every failure says
// which of them failed and has a reason of its own.
TEST(QuickStateMessages, OnlySuccessReadsAsSuccessAndEachFailureSaysWhy) {
    EXPECT_EQ(quick_save_refusal(1), "");
    EXPECT_EQ(quick_save_refusal(max_state_bytes), "");
    EXPECT_EQ(quick_save_outcome(store_status::stored), "Saved");
    EXPECT_EQ(quick_load_outcome(load_status::whole, 100, true), "Loaded");
    std::set<std::string> saves = {quick_save_refusal(0), quick_save_refusal(max_state_bytes + 1)};
    for (store_status s : {store_status::failed, store_status::refused, store_status::taken_over,
                           store_status::not_sent})
        saves.insert(quick_save_outcome(s));
    EXPECT_EQ(saves.size(), 6u);
    for (const std::string& text : saves) EXPECT_EQ(text.rfind("Not saved: ", 0), 0u) << text;
    std::set<std::string> loads;
    for (load_status s : {load_status::none, load_status::failed, load_status::cut,
                          load_status::too_large, load_status::whole})
        for (std::size_t size : {std::size_t{0}, std::size_t{100}})
            loads.insert(quick_load_outcome(s, size, false));
    // The server not reached (none, failed), cut, too large, refused by the core, and none there.
    EXPECT_EQ(loads.size(), 5u);
    for (const std::string& text : loads)
        EXPECT_TRUE(text.rfind("Not loaded: ", 0) == 0 || text.rfind("No quick save", 0) == 0)
            << text;
    EXPECT_EQ(loads.count(quick_load_outcome(load_status::whole, 0, false)), 1u);
}

TEST(QuickStateNotices, ShownForTheirTimeThenClearedOnce) {
    notice_board board;
    EXPECT_EQ(board.current(0), "");
    EXPECT_FALSE(board.take_cleared());
    board.show("Saved", 1000);
    EXPECT_EQ(board.current(1000), "Saved");
    EXPECT_EQ(board.current(1000 + notice_ms - 1), "Saved");
    EXPECT_FALSE(board.take_cleared());
    EXPECT_EQ(board.current(1000 + notice_ms), "");
    EXPECT_TRUE(board.take_cleared());
    EXPECT_FALSE(board.take_cleared());
    // A newer notice replaces the one shown (its band is drawn anew) and keeps its own time.
    board.show(keys_notice, 5000, keys_notice_ms);
    board.show("Loading...", 5100, 60000);
    EXPECT_TRUE(board.take_cleared());
    EXPECT_EQ(board.current(5000 + keys_notice_ms), "Loading...");
    board.show("Loaded", 6000);
    EXPECT_EQ(board.current(6000 + notice_ms - 1), "Loaded");
    EXPECT_EQ(board.current(6000 + notice_ms), "");
}

TEST(QuickStateRequests, OneAtATimeUntilTheServerAnswered) {
    quick_requests q;
    EXPECT_FALSE(q.start());
    EXPECT_TRUE(q.ask(quick_requests::kind::save));
    EXPECT_FALSE(q.ask(quick_requests::kind::load));
    EXPECT_EQ(q.start(), quick_requests::kind::save);
    EXPECT_FALSE(q.start());
    EXPECT_TRUE(q.in_flight());
    EXPECT_FALSE(q.ask(quick_requests::kind::save));
    EXPECT_EQ(q.finished(), quick_requests::kind::save);
    EXPECT_FALSE(q.in_flight());
    EXPECT_TRUE(q.ask(quick_requests::kind::load));
    EXPECT_EQ(q.start(), quick_requests::kind::load);
    EXPECT_EQ(q.finished(), quick_requests::kind::load);
    EXPECT_FALSE(q.finished());
}

class QuickStateCore : public ::testing::Test {
  protected:
    std::unique_ptr<core> open(const char* library) {
        core_settings settings;
        settings.game_label = "Test Game";
        settings.log = [](const std::string&) {};
        std::string error;
        auto game = core::open(library, settings, error);
        EXPECT_TRUE(game) << error;
        if (!game) return game;
        const std::vector<unsigned char> image(16, 'G');
        EXPECT_TRUE(game->load_game(image.data(), image.size(), error)) << error;
        return game;
    }
    const fake_core_report* report(const char* library) {
        std::string error;
        peek_ = rx::platform::dynamic_library::open(library, error);
        auto of = peek_ ? reinterpret_cast<const fake_core_report* (*)()>(
                              peek_->symbol("fake_core_report_of"))
                        : nullptr;
        return of ? of() : nullptr;
    }
    std::unique_ptr<rx::platform::dynamic_library> peek_;
};

TEST_F(QuickStateCore, AStateTakenAndLoadedPutsTheGameBack) {
    auto game = open(RX_FAKE_CORE);
    ASSERT_TRUE(game);
    const fake_core_report* seen = report(RX_FAKE_CORE);
    ASSERT_TRUE(seen);
    for (int i = 0; i < 5; ++i) game->run_frame();
    ASSERT_GT(game->state_size(), 0u);
    const std::vector<unsigned char> state = game->save_state();
    ASSERT_EQ(state.size(), game->state_size());
    for (int i = 0; i < 7; ++i) game->run_frame();
    ASSERT_EQ(seen->frames_run, 12u);
    ASSERT_TRUE(game->load_state(state.data(), state.size()));
    EXPECT_EQ(seen->frames_run, 5u);
    EXPECT_EQ(game->read_save()[0], 5);
    // Bytes the core does not know as its state are refused and change nothing.
    std::vector<unsigned char> foreign = state;
    foreign[0] ^= 0xFF;
    EXPECT_FALSE(game->load_state(foreign.data(), foreign.size()));
    EXPECT_FALSE(game->load_state(state.data(), state.size() - 1));
    EXPECT_FALSE(game->load_state(state.data(), 0));
    EXPECT_EQ(seen->frames_run, 5u);
}

TEST_F(QuickStateCore, ACoreWithoutStatesStillPlaysAndSaysSo) {
    auto game = open(RX_FAKE_CORE_PATH);
    ASSERT_TRUE(game);
    game->run_frame();
    EXPECT_EQ(game->state_size(), 0u);
    EXPECT_TRUE(game->save_state().empty());
    const unsigned char bytes[4] = {1, 2, 3, 4};
    EXPECT_FALSE(game->load_state(bytes, sizeof bytes));
    EXPECT_NE(quick_save_refusal(game->state_size()), "");
}

// The player's own keys reach no game: no settings file the program ships, nor nester's
// defaults, binds them to a pad button.
TEST(QuickStateKeys, NoShippedSettingsBindThePlayKeys) {
    static_assert(quick_save_sym == SDLK_F2 && quick_load_sym == SDLK_F4 &&
                  fast_forward_sym == SDLK_TAB && pause_menu_sym == SDLK_ESCAPE);
    rx::test::temp_dir dir;
    setenv("RELICADE_REGISTRY_FILE", dir.file("registry").c_str(), 1);
    const std::vector<std::vector<pad_binding>> all = {
        vba_bindings(shipped_vba_ini()),
        zsnes_bindings(shipped_zinput_cfg()),
        ootake_bindings(shipped_ootake_dat()),
        gens_bindings(shipped_gens_cfg()),
        meka_bindings(shipped_meka_inp()),
        nester_bindings(rx::platform::user_registry(), "{6F1D2B61-D5A0-11CF-BFC7-444553540000}")};
    unsetenv("RELICADE_REGISTRY_FILE");
    for (const auto& bindings : all) {
        ASSERT_FALSE(bindings.empty());
        for (const pad_binding& b : bindings) {
            if (!b.source) continue;
            for (int sym : b.source->key_syms) {
                for (int play_key :
                     {quick_save_sym, quick_load_sym, fast_forward_sym, pause_menu_sym})
                    EXPECT_NE(sym, play_key) << input_name(b.id);
            }
        }
    }
}

}  // namespace
