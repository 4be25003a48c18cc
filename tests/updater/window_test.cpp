// rx_update's window on the dummy video driver: caption, counter and bar, the redraw pace, and
// closing the window in the middle of a download.
#include "updater/window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "common/program_folder.h"
#include "files.h"
#include "service_process.h"
#include "update_public_key.h"
#include "updater/update.h"

namespace rx::updater {
namespace {

namespace fs = std::filesystem;

class window_test : public ::testing::Test {
  protected:
    // The artwork and the font come from the build's program folder.
    void SetUp() override { set_directory_override(std::string(RX_PROGRAM_DIR)); }
    void TearDown() override { set_directory_override(std::nullopt); }

    static std::string caption() {
        char* title = nullptr;
        char* icon = nullptr;
        SDL_WM_GetCaption(&title, &icon);
        return title ? title : "";
    }

    // The bar's first row on the screen, as the last draw left it.
    static std::vector<Uint32> bar_row() {
        SDL_Surface* screen = SDL_GetVideoSurface();
        std::vector<Uint32> row;
        SDL_LockSurface(screen);
        const auto* pixels = static_cast<const Uint8*>(screen->pixels) + 440 * screen->pitch;
        for (int x = 100; x < 700; ++x)
            row.push_back(*reinterpret_cast<const Uint32*>(pixels + x * 4));
        SDL_UnlockSurface(screen);
        return row;
    }
};

TEST_F(window_test, windowed_start_has_the_caption_and_the_bar_moves_with_the_bytes) {
    update_window window;
    ASSERT_TRUE(window.init(false));
    EXPECT_EQ(caption(), "Relicade");
    ASSERT_TRUE(window.update_status(0, 1000));
    EXPECT_EQ(window.view_x(), 600);
    const auto empty = bar_row();

    ASSERT_TRUE(window.update_status(250, 1000));
    EXPECT_EQ(window.view_x(), 450);
    ASSERT_NE(window.counter(), nullptr);
    ASSERT_TRUE(window.update_status(1000, 1000));
    EXPECT_EQ(window.view_x(), 0);
    EXPECT_NE(bar_row(), empty) << "a full bar looks like an empty one";

    // Nothing to fetch: no division by zero, a full bar.
    ASSERT_TRUE(window.update_status(0, 0));
    EXPECT_EQ(window.view_x(), 0);
    window.clean_up();
}

TEST_F(window_test, fullscreen_start_sets_no_caption) {
    update_window window;
    ASSERT_TRUE(window.init(true));
    EXPECT_EQ(caption(), "");
    ASSERT_NE(SDL_GetVideoSurface(), nullptr);
    EXPECT_NE(SDL_GetVideoSurface()->flags & SDL_FULLSCREEN, 0u);
}

TEST_F(window_test, redraws_at_most_once_a_frame_and_always_for_the_last_byte) {
    update_window window;
    ASSERT_TRUE(window.init(false));
    const unsigned before = window.redraws();
    const auto start = std::chrono::steady_clock::now();
    constexpr int chunks = 5000;
    for (int done = 1; done <= chunks; ++done) ASSERT_TRUE(window.update_status(done, chunks));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    const unsigned drawn = window.redraws() - before;
    EXPECT_LE(drawn, static_cast<unsigned>(ms / 16 + 3)) << ms << " ms";
    EXPECT_EQ(window.view_x(), 0);
    // The last draw shows the last byte: one more status at the end draws again at once.
    const unsigned at_end = window.redraws();
    ASSERT_TRUE(window.update_status(chunks, chunks));
    EXPECT_EQ(window.redraws(), at_end + 1);

    // A service that announced less than it sends: the bytes past the total are paced like the
    // rest.
    const unsigned at_total = window.redraws();
    const auto past_start = std::chrono::steady_clock::now();
    for (int done = chunks + 1; done <= 2 * chunks; ++done)
        ASSERT_TRUE(window.update_status(done, chunks));
    const auto past_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - past_start)
                             .count();
    EXPECT_LE(window.redraws() - at_total, static_cast<unsigned>(past_ms / 16 + 3))
        << past_ms << " ms";
}

// A frame the display refuses is not a failed download: the update goes on and the log says so
// once.
TEST_F(window_test, a_refused_frame_is_logged_once_and_the_download_goes_on) {
    update_window window;
    ASSERT_TRUE(window.init(false));
    test::temp_dir logs("rx_update_flip");
    set_directory_override(logs.path());
    window.set_flip_for_testing([](SDL_Surface*) { return -1; });
    for (int done = 100; done <= 1000; done += 100) {
        EXPECT_TRUE(window.update_status(done, 1000)) << done;
        SDL_Delay(20);  // a frame apart, so every status draws
    }
    EXPECT_GE(window.redraws(), 10u);
    EXPECT_EQ(window.view_x(), 0);
    EXPECT_EQ(test::read_file(logs.file("error_log.txt")), "Failed to Flip SDL in update - main\n");
    window.set_flip_for_testing(SDL_Flip);
}

TEST_F(window_test, closing_the_window_is_reported_by_the_next_status) {
    update_window window;
    ASSERT_TRUE(window.init(false));
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    EXPECT_FALSE(window.update_status(10, 100));
}

TEST_F(window_test, closing_the_window_mid_download_ends_the_update_and_changes_nothing) {
    test::temp_dir folder("rx_update_window");
    const fs::path program = fs::path(folder.path()) / "relicade";
    fs::create_directories(program);
    ASSERT_TRUE(test::write_file((program / "update_notes.txt").string(), "old notes"));
    test::service_process service;
    ASSERT_TRUE(service.started());

    update_window window;
    ASSERT_TRUE(window.init(false));
    update_settings settings;
    settings.program_folder = program.string();
    settings.location = "v4.30";
    settings.catalogue =
        config::endpoint{"localhost", static_cast<std::uint16_t>(service.http_port())};
    settings.key = *parse_hex32(rx_update_public_key_hex);
    std::vector<std::string> log;
    settings.log = [&](std::string_view text) { log.emplace_back(text); };
    bool closed = false;
    std::int64_t last_done = 0;
    settings.progress = [&](std::int64_t done, std::int64_t total) {
        // The person closes the window once a good part has arrived.
        if (!closed && done > 100000) {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
            closed = true;
        }
        last_done = done;
        return window.update_status(done, total);
    };
    EXPECT_FALSE(get_file_manifest(settings));
    EXPECT_TRUE(closed);
    EXPECT_LT(last_done, 512 * 1024);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Failure update cancelled - download_update");
    // Only the old file: no update folder, no download, nothing installed.
    std::vector<std::string> left;
    for (const auto& item : fs::recursive_directory_iterator(program))
        left.push_back(fs::relative(item.path(), program).string());
    EXPECT_EQ(left, std::vector<std::string>{"update_notes.txt"});
    EXPECT_EQ(test::read_file((program / "update_notes.txt").string()), "old notes");
}

}  // namespace
}  // namespace rx::updater
