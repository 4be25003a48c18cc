// The main loop: pointer keys, fullscreen keys, pause, quit with userinfo.dat, start-up, log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "browser/app/app.h"
#include "browser/app/screens.h"
#include "browser/base/logic/user_info.h"
#include "tests/browser_core/sdl_support.h"
#include "widgets/image.h"

namespace rx {
namespace {

namespace fs = std::filesystem;

class LoopTest : public test::sdl_test {
  protected:
    void SetUp() override {
        sdl_test::SetUp();
        // No screen takes part: these tests are about the loop itself.
        app::set_current_screen(0);
    }
    static int pointer_x() {
        int x = 0;
        SDL_GetMouseState(&x, nullptr);
        return x;
    }
    static int pointer_y() {
        int y = 0;
        SDL_GetMouseState(nullptr, &y);
        return y;
    }
    // Steps the pointer makes over `frames` frames along one axis.
    static std::vector<int> steps(int frames, bool x_axis) {
        std::vector<int> made;
        for (int i = 0; i < frames; ++i) {
            const int before = x_axis ? pointer_x() : pointer_y();
            EXPECT_TRUE(app::run_frame());
            made.push_back((x_axis ? pointer_x() : pointer_y()) - before);
        }
        return made;
    }
    static std::vector<int> distinct(const std::vector<int>& values) {
        std::vector<int> out;
        for (int v : values) {
            if (out.empty() || out.back() != v) out.push_back(v);
        }
        return out;
    }
};

TEST_F(LoopTest, HeldArrowDoublesTheStepEverySecondFrameUpTo32AndStopsAtTheEdge) {
    test::place_pointer(10, 300);
    test::key(SDLK_RIGHT, true);
    const std::vector<int> made = steps(60, true);
    const std::vector<int> expected_start{1, 1, 2, 2, 4, 4, 8, 8, 16, 16, 32, 32, 32};
    EXPECT_EQ(std::vector<int>(made.begin(), made.begin() + expected_start.size()), expected_start);
    // The last whole step that fits is made; the one that would pass 799 is not made at all.
    EXPECT_LE(pointer_x(), 799);
    EXPECT_GT(pointer_x(), 799 - 32);
    EXPECT_EQ(made.back(), 0);
    EXPECT_EQ(distinct(made), (std::vector<int>{1, 2, 4, 8, 16, 32, 0}));

    // Release stops at once; once no direction is held for a frame, the next press starts again
    // at 1.
    test::key(SDLK_RIGHT, false);
    EXPECT_EQ(steps(1, true), std::vector<int>{0});
    EXPECT_EQ(app::pointer().speed_x, 1);
    test::key(SDLK_LEFT, true);
    EXPECT_EQ(steps(1, true), std::vector<int>{-1});
    test::key(SDLK_LEFT, false);
    EXPECT_EQ(steps(3, true), (std::vector<int>{0, 0, 0}));
    test::key(SDLK_LEFT, true);
    EXPECT_EQ(steps(1, true), std::vector<int>{-1});
}

TEST_F(LoopTest, VerticalStepStopsGrowingAt16) {
    test::place_pointer(400, 2);
    test::key(SDLK_DOWN, true);
    const std::vector<int> made = steps(80, false);
    EXPECT_EQ(distinct(made), (std::vector<int>{1, 2, 4, 8, 16, 0}));
    EXPECT_LE(pointer_y(), 599);
    EXPECT_GT(pointer_y(), 599 - 16);
    test::key(SDLK_DOWN, false);
    EXPECT_EQ(steps(1, false), std::vector<int>{0});
    test::key(SDLK_UP, true);
    EXPECT_EQ(steps(1, false), std::vector<int>{-1});
}

TEST_F(LoopTest, RightAltReturnTogglesFullscreenLeftAltDoesNot) {
    const bool start = app::fullscreen();
    test::key(SDLK_LALT, true);
    test::key(SDLK_RETURN, true);
    ASSERT_TRUE(app::run_frame());
    EXPECT_EQ(app::fullscreen(), start);
    test::key(SDLK_RETURN, false);
    test::key(SDLK_LALT, false);

    test::key(SDLK_RALT, true);
    test::key(SDLK_RETURN, true);
    ASSERT_TRUE(app::run_frame());
    EXPECT_EQ(app::fullscreen(), !start);
    EXPECT_EQ((SDL_GetVideoSurface()->flags & SDL_FULLSCREEN) != 0, !start);
    // Changing the video mode makes SDL forget held keys, so both are pressed anew to go back.
    test::key(SDLK_RALT, true);
    test::key(SDLK_RETURN, true);
    ASSERT_TRUE(app::run_frame());
    EXPECT_EQ(app::fullscreen(), start);
}

TEST_F(LoopTest, CaptureGateBlocksPointerAndFullscreenKeys) {
    const bool start = app::fullscreen();
    app::set_cursor_keys_enabled(false);
    test::key(SDLK_RIGHT, true);
    test::key(SDLK_RALT, true);
    test::key(SDLK_RETURN, true);
    EXPECT_EQ(steps(3, true), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(app::fullscreen(), start);
    app::set_cursor_keys_enabled(true);
}

TEST_F(LoopTest, LosingFocusPausesDispatchAndDrawingButNotTheFrameCount) {
    screens().controls.init();
    app::set_current_screen(screen_controls);
    SDL_Event lose{};
    lose.type = SDL_ACTIVEEVENT;
    lose.active.gain = 0;
    lose.active.state = SDL_APPMOUSEFOCUS;
    SDL_PushEvent(&lose);
    ASSERT_TRUE(app::run_frame());
    EXPECT_TRUE(app::paused());

    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 1, 2, 3));
    test::mouse_button(SDL_BUTTON_LEFT, true, 700, 25);  // on Home
    const unsigned frames = app::frame_counter();
    ASSERT_TRUE(app::run_frame());
    EXPECT_FALSE(screens().controls.home_button().clicked());
    EXPECT_EQ(app::frame_counter(), frames + 1);
    // Pointer keys still steer while paused, but the pointer itself waits.
    test::key(SDLK_RIGHT, true);
    const int x = pointer_x();
    ASSERT_TRUE(app::run_frame());
    EXPECT_EQ(app::pointer().velocity_x, 1);
    EXPECT_EQ(pointer_x(), x);
    test::key(SDLK_RIGHT, false);

    SDL_Event gain = lose;
    gain.active.gain = 1;
    gain.active.state = SDL_APPINPUTFOCUS;
    SDL_PushEvent(&gain);
    ASSERT_TRUE(app::run_frame());
    EXPECT_FALSE(app::paused());
    test::mouse_button(SDL_BUTTON_LEFT, true, 700, 25);
    ASSERT_TRUE(app::run_frame());
    EXPECT_TRUE(screens().controls.home_button().clicked());
    screens().controls.reset();
}

TEST_F(LoopTest, QuitWithSaveBoxTickedWritesUserInfo) {
    user_info& user = app::user();
    user = user_info{};
    user.user_name = L"player";
    user.password = L"secret";
    user.account_kind = 2;
    user.last_system = 7;
    user.name_filter = "^[c-d]";
    screens().login.save_box().set_ticked();
    ASSERT_TRUE(screens().login.save_login_ticked());

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    test::mouse_motion(5, 5);  // still polled after the quit
    ASSERT_TRUE(app::run_frame());
    EXPECT_TRUE(app::quit_requested());

    user_info expected = user;
    expected.save_login = 1;
    expected.auto_login = screens().login.auto_login_ticked() ? 1 : 0;
    expected.fullscreen = app::fullscreen() ? 1 : 0;
    EXPECT_EQ(folder_.read("userinfo.dat"), encode_user_info(expected));
}

TEST_F(LoopTest, QuitWithSaveBoxClearDeletesUserInfo) {
    {
        std::ofstream old(folder_.file("userinfo.dat"), std::ios::binary);
        old << "old";
    }
    app::set_login_choices_source([] { return app::login_choices{false, true}; });
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    ASSERT_TRUE(app::run_frame());
    EXPECT_TRUE(app::quit_requested());
    EXPECT_FALSE(folder_.exists("userinfo.dat"));
    // Nothing to delete is no error.
    app::save_settings();
    EXPECT_FALSE(folder_.exists("error_log.txt"));

    app::set_login_choices_source([] { return app::login_choices{true, true}; });
    app::save_settings();
    const auto saved = read_user_info_file(folder_.file("userinfo.dat"));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->save_login, 1);
    EXPECT_EQ(saved->auto_login, 1);
}

TEST_F(LoopTest, InitReadsTheSavedLoginAndStartsFullscreenWithoutCaption) {
    user_info saved;
    saved.user_name = L"demo";
    saved.password = L"demo";
    saved.save_login = 1;
    saved.fullscreen = 1;
    ASSERT_TRUE(write_user_info_file(folder_.file("userinfo.dat"), saved));
    ASSERT_TRUE(app::init());
    EXPECT_EQ(app::user().user_name, L"demo");
    EXPECT_TRUE(app::fullscreen());
    EXPECT_TRUE(SDL_GetVideoSurface()->flags & SDL_FULLSCREEN);
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_EQ(title, nullptr);
    app::toggle_fullscreen();
    EXPECT_FALSE(app::fullscreen());
}

TEST_F(LoopTest, InitWithoutUserInfoStartsEmptyAndWindowed) {
    app::user().user_name = L"left over";
    ASSERT_TRUE(app::init());
    EXPECT_TRUE(app::user().user_name.empty());
    EXPECT_FALSE(app::fullscreen());
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "Relicade");
}

TEST_F(LoopTest, LoadFilesLogsWhatIsMissing) {
    const std::string empty = (fs::path(folder_.path()) / "empty").string();
    fs::create_directories(fs::path(empty) / "images");
    set_directory_override(empty);
    EXPECT_FALSE(app::load_files());
    std::ifstream log(fs::path(empty) / "error_log.txt", std::ios::binary);
    std::string line;
    std::getline(log, line);
    EXPECT_EQ(line, "Failed to load image - load_files");
}

TEST_F(LoopTest, LoadFilesWithArtworkAndAFrameDrawsTheBackground) {
    RX_REQUIRE_ARTWORK();
    ASSERT_TRUE(app::load_files());
    ASSERT_NE(app::background(), nullptr);
    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 1, 2, 3));
    ASSERT_TRUE(app::run_frame());
    EXPECT_EQ(test::pixel(screen, 400, 300), test::pixel(app::background(), 400, 300));
    EXPECT_FALSE(folder_.exists("error_log.txt"));
}

TEST_F(LoopTest, WaitImageIsDrawnOverTheDarkBackgroundAndFlipped) {
    RX_REQUIRE_ARTWORK();
    ASSERT_TRUE(app::load_files());
    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_Surface* wait = SDL_CreateRGBSurface(SDL_SWSURFACE, 20, 10, 32, screen->format->Rmask,
                                             screen->format->Gmask, screen->format->Bmask, 0);
    ASSERT_NE(wait, nullptr);
    SDL_FillRect(wait, nullptr, SDL_MapRGB(wait->format, 250, 10, 10));
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 1, 2, 3));
    SDL_Surface* dark = load_image("background_dark.png");
    ASSERT_NE(dark, nullptr);
    app::show(327, 288, wait);
    EXPECT_EQ(test::pixel(screen, 5, 5), test::pixel(dark, 5, 5));
    EXPECT_EQ(test::pixel(screen, 327, 288), SDL_MapRGB(screen->format, 250, 10, 10));
    EXPECT_EQ(test::pixel(screen, 346, 297), SDL_MapRGB(screen->format, 250, 10, 10));
    EXPECT_EQ(test::pixel(screen, 347, 298), test::pixel(dark, 347, 298));
    SDL_FreeSurface(dark);
    SDL_FreeSurface(wait);
}

TEST_F(LoopTest, LoadSystemOpensTheListAndLoadSearchKeepsTheScreen) {
    // The catalogue is a loopback port nobody listens on, so the list fails at once.
    test::closed_catalogue catalogue;
    screens().game_list.init();
    app::user() = user_info{};
    app::set_current_screen(screen_main);
    app::load_system(12);
    EXPECT_EQ(app::current_screen(), screen_game_list);
    EXPECT_EQ(app::user().last_system, 12);
    EXPECT_EQ(app::user().name_filter, "^[a-b]");
    EXPECT_EQ(screens().game_list.system_number(), 12);
    EXPECT_EQ(screens().game_list.system_title(), "Nintendo 64");

    app::set_current_screen(screen_controls);
    app::load_search("^[c-d]");
    EXPECT_EQ(app::user().name_filter, "^[c-d]");
    EXPECT_EQ(app::current_screen(), screen_controls);
    // A chosen filter survives the next system.
    app::load_system(3);
    EXPECT_EQ(app::user().name_filter, "^[c-d]");
    EXPECT_EQ(screens().game_list.system_number(), 3);
}

TEST_F(LoopTest, LogAppendsOneLinePerMessage) {
    log_error("Failure opening socket - login");
    log_error("Unknown Exception - main::handle_news_events");
    EXPECT_EQ(folder_.read("error_log.txt"),
              "Failure opening socket - login\nUnknown Exception - main::handle_news_events\n");
    EXPECT_EQ(get_directory(), folder_.path());
}

}  // namespace
}  // namespace rx
