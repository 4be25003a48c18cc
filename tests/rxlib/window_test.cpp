// Tests for the loading window under SDL's dummy video driver, with injected events.
#include "rxlib/window.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "harness.h"
#include "platform/resources.h"
#include "rxlib/library_state.h"

namespace rx::lib {
namespace {

class LoadingWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        ASSERT_EQ(TTF_Init(), 0);
    }
    void TearDown() override {
        window::free_images();
        window::close_font();
        TTF_Quit();
        SDL_Quit();
    }
    static SDL_Event click(int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = static_cast<Uint16>(x);
        e.button.y = static_cast<Uint16>(y);
        return e;
    }
};

TEST_F(LoadingWindow, OpensWindowedWithItsCaptionAndArtwork) {
    ASSERT_TRUE(window::load_images(false));
    SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, 400);
    EXPECT_EQ(screen->h, 150);
    char* caption = nullptr;
    SDL_WM_GetCaption(&caption, nullptr);
    ASSERT_NE(caption, nullptr);
    EXPECT_STREQ(caption, "Relicade");
    EXPECT_EQ(window::bar_offset(), 300);
    EXPECT_TRUE(window::progress_text().empty());
    window::draw();
}

// Each failing resource step is named in its own message; the font's carry " - Font".
TEST_F(LoadingWindow, EachFailedResourceStepNamesItsCall) {
    using platform::resource_step;
    const std::string log_path = executable_folder() + "rxlib_error_log.txt";
    const std::pair<resource_step, const char*> steps[] = {
        {resource_step::module, "GetModuleHandle"},
        {resource_step::find, "FindResource"},
        {resource_step::size, "SizeofResource"},
        {resource_step::load, "LoadResource"},
        {resource_step::lock, "LockResource"}};
    for (const auto& [step, name] : steps) {
        for (int id : {1001, 1003}) {
            const std::string expected =
                std::string("Failed: ") + name + (id == 1003 ? " - Font" : "") + "\n";
            const std::size_t before = test::read_file(log_path).size();
            platform::fail_resource_step_for_testing(step, id);
            bool loaded = window::load_images(false);
            platform::fail_resource_step_for_testing(resource_step::none);
            window::free_images();
            window::close_font();
            EXPECT_FALSE(loaded) << expected;
            EXPECT_EQ(test::read_file(log_path).substr(before), expected);
        }
    }
    ASSERT_TRUE(window::load_images(false));
}

TEST_F(LoadingWindow, FullScreenIs800By600) {
    ASSERT_TRUE(window::load_images(true));
    EXPECT_EQ(SDL_GetVideoSurface()->w, 800);
    EXPECT_EQ(window::bar_offset(), 600);
    window::set_progress(300, 600);
    EXPECT_EQ(window::bar_offset(), 300);
    EXPECT_EQ(window::progress_text(), "300/600");
}

TEST_F(LoadingWindow, ClicksOnTheCancelEdgesAndOtherEventsAreIgnored) {
    ASSERT_TRUE(window::load_images(false));
    // The button is 125,105 150 x 40; its edges are not inside it.
    for (SDL_Event e :
         {click(125, 120), click(275, 120), click(200, 105), click(200, 145), click(10, 10)}) {
        window::handle_event(e);
    }
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.keysym.sym = SDLK_ESCAPE;
    window::handle_event(escape);
    SDL_Event right = click(200, 120);
    right.button.button = SDL_BUTTON_RIGHT;
    window::handle_event(right);
    SUCCEED();
}

TEST_F(LoadingWindow, OnePixelInsideCancelEndsTheProcess) {
    ASSERT_TRUE(window::load_images(false));
    EXPECT_EXIT(window::handle_event(click(126, 120)), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(window::handle_event(click(274, 144)), ::testing::ExitedWithCode(0), "");
}

TEST_F(LoadingWindow, FullScreenCancelUsesItsOwnPosition) {
    ASSERT_TRUE(window::load_images(true));
    window::handle_event(click(325, 340));
    EXPECT_EXIT(window::handle_event(click(326, 340)), ::testing::ExitedWithCode(0), "");
}

TEST_F(LoadingWindow, PauseKeyEndsTheProcessThroughTheEventPump) {
    ASSERT_TRUE(window::load_images(false));
    EXPECT_EXIT(
        {
            SDL_Event pause{};
            pause.type = SDL_KEYDOWN;
            pause.key.keysym.sym = SDLK_PAUSE;
            SDL_PushEvent(&pause);
            window::pump_events();
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(LoadingWindow, FreeingTwiceIsHarmlessAndDrawsNothingAfterwards) {
    ASSERT_TRUE(window::load_images(false));
    window::free_images();
    window::free_images();
    window::draw();
    SUCCEED();
}

}  // namespace
}  // namespace rx::lib
