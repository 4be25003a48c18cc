// Tests of rxlib's start-up, saves and loads in-process against a scripted game server.
#include "rxlib/library_state.h"

#include <SDL.h>
#include <SDL_net.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>

#include "harness.h"
#include "rxlib/logic/game_session.h"
#include "rxlib/logic/protocol.h"
#include "rxlib/window.h"

namespace rx::lib {
namespace {

const std::vector<std::string> login_replies{"?", "ok", "?", "SID"};

class Core : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("RELICADE_FALLBACK_ADDRESS", "127.0.0.1", 1);
        // Nothing listens on port 1: the web requests after saves and loads fail fast.
        setenv("RELICADE_WEB_HOST", "127.0.0.1:1", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        ASSERT_EQ(TTF_Init(), 0);
        ASSERT_EQ(SDLNet_Init(), 0);
        session().user_name = "player";
        session().password = "secret";
        session().host = "127.0.0.1";
        session().game_name = "g1";
    }
    void TearDown() override {
        window::free_images();
        window::close_font();
        SDLNet_Quit();
        TTF_Quit();
        SDL_Quit();
    }
    void use(const test::fake_game& game) {
        setenv("RELICADE_GAME_PORT", std::to_string(game.port()).c_str(), 1);
    }
    static std::vector<std::string> with(std::vector<std::string> a,
                                         const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
};

TEST_F(Core, ZeroSizeGameFailsWithoutAnyProgressLine) {
    test::fake_game game(with(login_replies, {"?", "ok", "0"}));
    use(game);
    ASSERT_TRUE(window::load_images(false));
    EXPECT_FALSE(open_game());
    EXPECT_TRUE(window::progress_text().empty());
    EXPECT_EQ(session().game_location.load(), nullptr);
    EXPECT_EQ(game.tokens_when(8),
              (std::vector<std::string>{"player", "secret", std::string(client_address_token), "id",
                                        "op", "g1", "ok", "ok"}));
}

TEST_F(Core, CancelClickDuringTheDownloadEndsTheProcess) {
    // The server announces a size and then sends nothing: only the user can end the wait early.
    test::fake_game game(with(login_replies, {"?", "ok", "5000"}));
    use(game);
    ASSERT_TRUE(window::load_images(false));
    EXPECT_EXIT(
        {
            SDL_Event e{};
            e.type = SDL_MOUSEBUTTONDOWN;
            e.button.button = SDL_BUTTON_LEFT;
            e.button.x = 200;
            e.button.y = 120;
            SDL_PushEvent(&e);
            open_game();
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(Core, ResetDuringASaveIsAnOrdinaryFailure) {
    const std::string name = "reset_test.sav";
    {
        std::ofstream out(executable_folder() + name, std::ios::binary);
        out << std::string(save_buffer_size, 'x');
    }
    test::fake_game game({"?", "ok", "?", "?", "?", "?"});
    game.reset_after(5);  // the save's file name: the reset meets the save's bytes
    use(game);
    save_game(name.c_str(), name.c_str());
    std::remove((executable_folder() + name).c_str());
    EXPECT_EQ(save_status().load(), static_cast<std::int32_t>(save_outcome::failed));
    EXPECT_EQ(game.tokens().size(), 6u);
    EXPECT_EQ(game.tokens()[3], "sv");
    EXPECT_EQ(game.tokens()[4], std::to_string(save_buffer_size));
}

TEST_F(Core, OversizedLoadIsDrainedAndReportedEmpty) {
    const std::string big(save_buffer_size + 10, 'B');
    test::fake_game game({"?", "ok", "?", "?", "?", std::to_string(big.size())}, 6, big);
    use(game);
    load_size() = 77;
    load_game("big.sav");
    EXPECT_EQ(load_size().load(), 0);
    EXPECT_EQ(load_status().load(), static_cast<std::int32_t>(load_outcome::too_large));
    EXPECT_EQ(load_buffer()[0], 0);
    std::vector<std::string> tokens = game.tokens();
    ASSERT_EQ(tokens.size(), 8u);
    EXPECT_EQ(tokens.back(), "cl");
}

TEST_F(Core, SavePathThatWouldNotFitIsRefused) {
    test::fake_game game({});
    use(game);
    save_game(std::string(300, 'n').c_str(), "n.sav");
    EXPECT_TRUE(game.tokens().empty());
    EXPECT_NE(
        test::read_file(executable_folder() + "rxlib_error_log.txt").find("Save path too long."),
        std::string::npos);
}

TEST_F(Core, MonitorsShutdownHandsTheGameBackAndLeavesSdlToTheEmulator) {
    const std::string raw(5000, 'g');
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packed_size, '\0');
    ASSERT_EQ(compress(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
                       reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size())),
              Z_OK);
    packed.resize(packed_size);
    // Tokens: player, secret, address, id, op, g1, ok (size), ok (the stream).
    test::fake_game game(with(login_replies, {"?", "ok", std::to_string(packed.size())}), 7,
                         packed);
    use(game);
    test::fake_web web({"1"});
    setenv("RELICADE_WEB_HOST", ("127.0.0.1:" + std::to_string(web.port())).c_str(), 1);
    // The monitor started by open_game stays asleep for the whole test.
    set_monitor_timing({3600000, 3, 1000});
    ASSERT_TRUE(window::load_images(false));
    ASSERT_TRUE(open_game());
    std::uint8_t* image = session().game_location.load();
    ASSERT_NE(image, nullptr);

    shut_down(false);
    ASSERT_EQ(web.requests().size(), 1u);
    EXPECT_NE(web.requests()[0].find("GET /connection/free_game.php?username=player&id=SID "),
              std::string::npos);
    // The emulator's thread may still draw and read the game while the process ends.
    EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_NE(TTF_WasInit(), 0);
    EXPECT_NE(SDL_GetVideoSurface(), nullptr);
    EXPECT_EQ(session().game_location.load(), image);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image), raw.size()), raw);

    shut_down(true);
    EXPECT_EQ(session().game_location.load(), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);  // for the fixture's TearDown
    ASSERT_EQ(TTF_Init(), 0);
    ASSERT_EQ(SDLNet_Init(), 0);
}

TEST_F(Core, FailedPasswordSendLogsTheStepButNeverThePassword) {
    const std::string log_path = executable_folder() + "rxlib_error_log.txt";
    std::remove(log_path.c_str());
    // A password far larger than the socket buffers keeps the send going until the server's reset
    // meets it, so the send fails every time.
    const std::string password = "Sw0rdfish-" + std::string(32 << 20, 'p');
    session().password = password;
    test::fake_game game({"?"});
    game.reset_after(0);
    use(game);
    load_game("any.sav");
    EXPECT_EQ(game.tokens(), std::vector<std::string>{"player"});
    std::string log = test::read_file(log_path);
    std::remove(log_path.c_str());
    EXPECT_NE(log.find("Failed to send.\n"), std::string::npos);
    EXPECT_EQ(log.find("Sw0rdfish"), std::string::npos);
    EXPECT_LT(log.size(), 4096u);
}

}  // namespace
}  // namespace rx::lib
