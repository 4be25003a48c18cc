// The game information screen (title, screenshots) and the news screen (fields and wrapped body).
#include <gtest/gtest.h>

#include <string>

#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/screens.h"
#include "tests/catalogue/catalogue_fixture.h"

namespace rx {
namespace {

class GameInfo : public test::catalogue_test {
  protected:
    rx_game_info_input& info() { return screens().game_info; }
    // Serves information replies by game id and pictures by name.
    void serve(const std::string& info_body_a, const std::string& info_body_b) {
        const std::string red = test::picture_bytes(40, 30, 255, 0, 0);
        const std::string green = test::picture_bytes(40, 30, 0, 255, 0);
        answer([=](const std::string& target) {
            test::fake_reply r;
            if (target == "/browser/browser_gameinfo.php?game=a.bin") {
                // In pieces, as a slow server sends it.
                const std::string whole = test::http_reply(info_body_a);
                for (std::size_t i = 0; i < whole.size(); i += 5)
                    r.chunks.push_back(whole.substr(i, 5));
            } else if (target == "/browser/browser_gameinfo.php?game=b.bin") {
                r.chunks.push_back(test::http_reply(info_body_b));
            } else if (target == "/info_img/red.bmp") {
                r.chunks.push_back(test::http_reply(red));
            } else if (target == "/info_img/green.bmp") {
                r.chunks.push_back(test::http_reply(green));
            } else if (target == "/info_img/broken.png") {
                r.chunks.push_back(test::http_reply("this is no picture"));
            }
            return r;
        });
    }
    int picture_requests() {
        int n = 0;
        for (const auto& t : service_->targets()) n += t.rfind("/info_img/", 0) == 0;
        return n;
    }
    Uint32 rgb(Uint8 r, Uint8 g, Uint8 b) {
        return SDL_MapRGB(SDL_GetVideoSurface()->format, r, g, b);
    }
    void draw() {
        SDL_FillRect(SDL_GetVideoSurface(), nullptr, 0);
        info().show();
    }
};

TEST_F(GameInfo, TitlesOfThirtyFiveAndThirtySixCharacters) {
    serve("||||||||||EOL", "||||||||||EOL");
    info().load_game({std::string(35, 'a'), "GEN", "a.bin", 1});
    EXPECT_EQ(info().title(), std::string(35, 'a'));
    info().load_game({std::string(36, 'b'), "GEN", "b.bin", 1});
    EXPECT_EQ(info().title(), std::string(33, 'b') + "...");
    EXPECT_EQ(picture_requests(), 0);
}

TEST_F(GameInfo, TwoNamesTwoPicturesDrawnAndNoneCarriedToTheNextGame) {
    serve("||red.bmp||green.bmp||||||EOL", "||||broken.png||||||EOL");
    info().load_game({"Game A", "GEN", "a.bin", 1});
    EXPECT_EQ(picture_requests(), 2);
    EXPECT_EQ(info().screenshot_names()[0], "red.bmp");
    ASSERT_NE(info().screenshot(1), nullptr);
    ASSERT_NE(info().screenshot(2), nullptr);
    EXPECT_EQ(info().screenshot(3), nullptr);
    draw();
    SDL_Surface* screen = SDL_GetVideoSurface();
    EXPECT_EQ(test::pixel(screen, 25, 60), rgb(255, 0, 0));
    EXPECT_EQ(test::pixel(screen, 64, 89), rgb(255, 0, 0));
    EXPECT_EQ(test::pixel(screen, 519, 60), rgb(0, 255, 0));
    EXPECT_EQ(test::pixel(screen, 24, 60) & 0xFFFFFF, 0u);

    // The next game names only a picture that does not decode: nothing of game A remains.
    info().load_game({"Game B", "GEN", "b.bin", 1});
    EXPECT_EQ(picture_requests(), 3);
    for (int slot = 1; slot <= 4; ++slot) EXPECT_EQ(info().screenshot(slot), nullptr) << slot;
    draw();
    EXPECT_EQ(lit_pixels(25, 60, 40, 30), 0);
    EXPECT_EQ(lit_pixels(519, 60, 40, 30), 0);

    // A failed information exchange shows no pictures either.
    info().load_game({"Game A", "GEN", "a.bin", 1});
    ASSERT_NE(info().screenshot(1), nullptr);
    setenv("RELICADE_CATALOGUE_HOST", "127.0.0.1:1", 1);
    info().load_game({"Game A", "GEN", "a.bin", 1});
    EXPECT_EQ(info().screenshot(1), nullptr);
}

TEST_F(GameInfo, ReplyWithOneNameFetchesOnlyThatPicture) {
    serve("||red.bmp||EOL", "||EOL");
    info().load_game({"Game A", "GEN", "a.bin", 1});
    info().load_game({"Game B", "GEN", "b.bin", 1});
    EXPECT_EQ(picture_requests(), 1);
    for (const auto& t : service_->targets()) EXPECT_NE(t, "/info_img/EOL");
}

class News : public test::catalogue_test {
  protected:
    rx_news_input& news() { return screens().news; }
    void serve_news(const std::string& body) {
        answer([body](const std::string&) {
            return test::fake_reply{{test::http_reply(body)}, 0};
        });
    }
    // Text pixels are white; the page picture itself is dark.
    int white_on_page(int y) {
        SDL_FillRect(SDL_GetVideoSurface(), nullptr, 0);
        news().show();
        return white_pixels(50, y, 700, 25);
    }
};

TEST_F(News, HeadingsAndWrappedBody) {
    RX_REQUIRE_ARTWORK();
    const std::string sixty =
        std::string(39, 'a') + " " + std::string(9, 'b') + " " + std::string(10, 'c');
    serve_news("||Heading One||Second line||" + sixty + "||EOL");
    ASSERT_TRUE(news().get_news());
    EXPECT_EQ(service_->targets().back(), "/browser/news.php");
    EXPECT_GT(white_on_page(5), 20);
    EXPECT_GT(white_on_page(35), 20);
    EXPECT_GT(white_on_page(65), 20);
    EXPECT_GT(white_on_page(95), 20);
    EXPECT_EQ(white_on_page(125), 0);

    // A second visit starts from the plain page: the old second body line is gone.
    serve_news("|||Short|||Date|||Only forty-four characters or less here.|||EOL");
    ASSERT_TRUE(news().get_news());
    EXPECT_GT(white_on_page(65), 20);
    EXPECT_EQ(white_on_page(95), 0);

    // A failed exchange keeps the page.
    setenv("RELICADE_WEB_HOST", "127.0.0.1:1", 1);
    EXPECT_FALSE(news().get_news());
    EXPECT_GT(white_on_page(65), 20);
}

TEST_F(News, HomeReturnsToTheMainMenu) {
    app::set_current_screen(screen_news);
    news().home_button().set_clicked(true);
    handle_news_events(test::make_mouse_motion(3, 3));
    EXPECT_EQ(app::current_screen(), screen_main);
}

}  // namespace
}  // namespace rx
