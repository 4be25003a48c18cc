// The game list screen: requests, replies in pieces, rows, scrolling, drawing and the browser-core
// handler.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/screens.h"
#include "emulators/systems.h"
#include "tests/catalogue/catalogue_fixture.h"

namespace rx {
namespace {

using test::list_row;
using test::make_key;
using test::make_mouse_button;
using test::make_mouse_motion;

std::vector<list_row> numbered_rows(int count, const std::string& code = "GEN") {
    std::vector<list_row> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back({"Game " + std::to_string(i), code, "g" + std::to_string(i) + ".bin",
                        i % 7 == 0 ? 0 : 2});
    }
    return rows;
}

class GameList : public test::catalogue_test {
  protected:
    rx_system_input& list() { return screens().game_list; }
    // Any event that is no click: lets the handler act on the flags of the previous one.
    void nudge() { handle_system_events(make_mouse_motion(1, 1)); }
    std::string last_target() {
        const auto targets = service_->targets();
        return targets.empty() ? std::string() : targets.back();
    }
    // The list's 600 x 500 view as drawn on a black window.
    std::vector<Uint32> view_pixels() {
        SDL_FillRect(SDL_GetVideoSurface(), nullptr, 0);
        list().show();
        return capture(100, 55, 600, 500);
    }
};

TEST_F(GameList, RequestsForSystemsSamplerAndAccounts) {
    answer_lists(test::list_body(numbered_rows(3)));
    app::user().name_filter.clear();
    app::load_system(console_by_code("GEN")->system);
    EXPECT_EQ(app::current_screen(), screen_game_list);
    ASSERT_EQ(service_->requests().size(), 1u);
    EXPECT_EQ(
        service_->requests()[0],
        std::string("GET /browser/gamelist.php?status=Full&search=1&system=GEN&criteria=^[a-b]"
                    "&end=1 HTTP/1.0\nHost: 127.0.0.1\n\n") +
            '\0');
    EXPECT_EQ(list().system_title(), "Genesis");
    EXPECT_EQ(list().rows().size(), 3u);

    app::user().name_filter = "^[0-z]";
    app::load_system(system_all);
    EXPECT_EQ(last_target(),
              "/browser/gamelist.php?status=Full&search=1&system=ALL&criteria=^[0-z]&end=1");

    app::user().account_kind = 1;
    app::load_system(system_free);
    EXPECT_EQ(last_target(), "/browser/freegamelist.php?status=Free&end=1");
    EXPECT_EQ(list().system_title(), "Free Sampler");

    app::load_system(console_by_code("SNES")->system);
    EXPECT_EQ(last_target(),
              "/browser/gamelist.php?status=Free&search=1&system=SNES&criteria=^[0-z]&end=1");

    // A search goes out as typed, blanks and capitals included, and keeps the screen.
    app::set_current_screen(screen_game_list);
    list().search_box().set_text("Super Mario");
    handle_system_events(make_key(SDLK_RETURN, true));
    EXPECT_TRUE(list().search_button().clicked());
    nudge();
    EXPECT_EQ(last_target(),
              "/browser/gamelist.php?status=Free&search=1&system=SNES&criteria=Super Mario&end=1");
    EXPECT_EQ(app::user().name_filter, "Super Mario");
    EXPECT_EQ(app::current_screen(), screen_game_list);
    // Loading empties the search box.
    EXPECT_TRUE(list().search_box().text().empty());

    // userinfo.dat keeps the filter between "||" separators: a search holding one, or ending
    // where one would start, is taken without it.
    list().search_box().set_text("mario||x|");
    handle_system_events(make_key(SDLK_RETURN, true));
    nudge();
    EXPECT_EQ(app::user().name_filter, "mario|x");
}

TEST_F(GameList, RecordsSplitAcrossReceives) {
    const std::string reply = test::http_reply(test::list_body(numbered_rows(30)));
    answer([reply](const std::string&) {
        test::fake_reply r;
        for (std::size_t i = 0; i < reply.size(); i += 7) r.chunks.push_back(reply.substr(i, 7));
        r.pause_ms = 1;
        return r;
    });
    app::load_system(console_by_code("GEN")->system);
    ASSERT_EQ(list().rows().size(), 30u);
    EXPECT_EQ(list().rows()[29].title, "Game 29");
    EXPECT_EQ(list().rows()[29].game_id, "g29.bin");
    EXPECT_EQ(list().rows()[28].availability, 0);
}

TEST_F(GameList, FailedOrEmptyListShowsThePlaceholder) {
    answer_lists("no games here");
    app::load_system(console_by_code("GEN")->system);
    ASSERT_EQ(list().rows().size(), 1u);
    EXPECT_EQ(list().rows()[0].title, "Search Returned No Game.");

    // The service closes without a word.
    answer([](const std::string&) { return test::fake_reply{}; });
    app::load_search("^[c-d]");
    ASSERT_EQ(list().rows().size(), 1u);
    EXPECT_EQ(list().rows()[0].system_code, "None");

    // Nobody listens at the catalogue host's address.
    setenv("RELICADE_CATALOGUE_HOST", "127.0.0.1:1", 1);
    app::load_search("^[e-f]");
    ASSERT_EQ(list().rows().size(), 1u);
    EXPECT_EQ(list().rows()[0].game_id, "none.non");

    // Its information area does nothing.
    test::place_pointer(400, 60);
    handle_system_events(make_mouse_button(SDL_BUTTON_LEFT, true, 400, 60));
    EXPECT_FALSE(list().row_clicked());
}

TEST_F(GameList, ButtonsAndWheelScroll) {
    answer_lists(test::list_body(numbered_rows(41)));
    app::load_system(console_by_code("GEN")->system);
    app::set_current_screen(screen_game_list);
    // Real clicks on the down button: each press leaves a click the next event acts on.
    test::place_pointer(735, 535);
    for (int expected : {250, 500, 525, 525}) {
        handle_system_events(make_mouse_button(SDL_BUTTON_LEFT, true, 735, 535));
        handle_system_events(make_mouse_button(SDL_BUTTON_LEFT, false, 735, 535));
        EXPECT_EQ(list().scroll_offset(), expected);
    }
    list().up_button().set_clicked(true);
    nudge();
    EXPECT_EQ(list().scroll_offset(), 275);
    handle_system_events(make_mouse_button(SDL_BUTTON_WHEELDOWN, true, 300, 300));
    EXPECT_EQ(list().scroll_offset(), 300);
    handle_system_events(make_mouse_button(SDL_BUTTON_WHEELUP, true, 300, 300));
    handle_system_events(make_mouse_button(SDL_BUTTON_WHEELUP, true, 300, 300));
    EXPECT_EQ(list().scroll_offset(), 250);

    // Twenty rows fit: nothing moves.
    answer_lists(test::list_body(numbered_rows(20)));
    app::load_search("^[a-b]");
    EXPECT_EQ(list().scroll_offset(), 0);
    list().down_button().set_clicked(true);
    nudge();
    handle_system_events(make_mouse_button(SDL_BUTTON_WHEELDOWN, true, 300, 300));
    EXPECT_EQ(list().scroll_offset(), 0);
}

TEST_F(GameList, RowAreasOpenInformationOrNothing) {
    answer([](const std::string& target) {
        if (target.find("gamelist.php") != std::string::npos) {
            return test::fake_reply{{test::http_reply(test::list_body(numbered_rows(3)))}, 0};
        }
        return test::fake_reply{{test::http_reply("||||||||||EOL")}, 0};
    });
    app::load_system(console_by_code("GEN")->system);
    app::set_current_screen(screen_game_list);

    // Beyond the last row: nothing.
    test::place_pointer(400, 55 + 3 * 25 + 5);
    handle_system_events(make_mouse_button(SDL_BUTTON_LEFT, true, 400, 135));
    EXPECT_FALSE(list().row_clicked());

    // The information area of the second row opens the game information screen at the next event.
    test::place_pointer(400, 55 + 25 + 5);
    handle_system_events(make_mouse_button(SDL_BUTTON_LEFT, true, 400, 85));
    EXPECT_TRUE(list().row_clicked());
    EXPECT_EQ(list().selected_game().title, "Game 1");
    nudge();
    EXPECT_EQ(app::current_screen(), screen_game_info);
    EXPECT_EQ(screens().game_info.game_id(), "g1.bin");
    EXPECT_EQ(last_target(), "/browser/browser_gameinfo.php?game=g1.bin");
    EXPECT_FALSE(list().row_clicked());

    // Space selects too when the search box has no focus; Return with an empty box likewise.
    app::set_current_screen(screen_game_list);
    test::place_pointer(400, 60);
    handle_system_events(make_key(SDLK_SPACE, true));
    EXPECT_TRUE(list().row_clicked());
    EXPECT_EQ(list().selected_game().title, "Game 0");
    app::clear_controls();
    test::place_pointer(400, 110);
    handle_system_events(make_key(SDLK_RETURN, true));
    EXPECT_TRUE(list().row_clicked());
    EXPECT_EQ(list().selected_game().title, "Game 2");
}

TEST_F(GameList, FilterControlsUpgradeAndHomeButtons) {
    answer_lists(test::list_body(numbered_rows(5)));
    app::load_system(console_by_code("GEN")->system);
    app::set_current_screen(screen_game_list);

    list().filter_button(3).set_clicked(true);  // E-F
    nudge();
    EXPECT_EQ(app::user().name_filter, "^[e-f]");
    EXPECT_EQ(last_target(),
              "/browser/gamelist.php?status=Full&search=1&system=GEN&criteria=^[e-f]&end=1");
    list().filter_button(15).set_clicked(true);  // random
    nudge();
    EXPECT_EQ(app::user().name_filter, "RANDOM");
    list().filter_button(14).set_clicked(true);  // all
    nudge();
    EXPECT_EQ(app::user().name_filter, "^[0-z]");

    // The all-systems list has no show-all button.
    app::load_system(system_all);
    app::set_current_screen(screen_game_list);
    const std::size_t before = service_->requests().size();
    list().filter_button(14).set_clicked(true);
    EXPECT_EQ(list().clicked_filter(), nullptr);
    nudge();
    EXPECT_EQ(service_->requests().size(), before);

    // Upgrade is only there for restricted accounts; the guest is sent to sign up.
    list().upgrade_button().set_clicked(true);
    nudge();
    EXPECT_TRUE(processes_.urls().empty());
    app::user().account_kind = 1;
    app::user().user_name = L"guest";
    app::load_system(console_by_code("GEN")->system);
    app::set_current_screen(screen_game_list);
    list().upgrade_button().set_clicked(true);
    nudge();
    ASSERT_EQ(processes_.urls().size(), 1u);
    EXPECT_NE(processes_.urls()[0].find("/signup.html"), std::string::npos);
    app::user().user_name = L"free";
    app::user().password = L"pw";
    list().upgrade_button().set_clicked(true);
    nudge();
    ASSERT_EQ(processes_.urls().size(), 2u);
    EXPECT_NE(processes_.urls()[1].find("/myaccount.html?username=free&password=pw"),
              std::string::npos);
    EXPECT_EQ(app::current_screen(), screen_game_list);

    // Controls of the list's system, whose Back returns to the list.
    list().controls_button().set_clicked(true);
    nudge();
    EXPECT_EQ(app::current_screen(), console_screen_of("GEN"));
    EXPECT_EQ(screens().console(console_screen_of("GEN"))->return_screen(), screen_game_list);
    app::load_system(system_all);
    app::set_current_screen(screen_game_list);
    list().controls_button().set_clicked(true);
    nudge();
    EXPECT_EQ(app::current_screen(), screen_controls);

    app::set_current_screen(screen_game_list);
    list().home_button().set_clicked(true);
    nudge();
    EXPECT_EQ(app::current_screen(), screen_main);
}

TEST_F(GameList, SystemCodesOnlyInMixedListsAndShortenedTitles) {
    RX_REQUIRE_ARTWORK();
    const std::string body = test::list_body({{"Golden Axe", "GEN", "ga.bin", 2}});
    answer_lists(body);
    app::load_system(console_by_code("GEN")->system);
    const auto genesis = view_pixels();
    app::load_system(system_all);
    const auto all = view_pixels();
    app::load_system(system_free);
    const auto sampler = view_pixels();
    // The code stands at x 525 of the row: compare that part of the first row.
    auto code_area = [](const std::vector<Uint32>& view) {
        std::vector<Uint32> part;
        for (int y = 0; y < 25; ++y) {
            for (int x = 525; x < 600; ++x)
                part.push_back(view[static_cast<std::size_t>(y * 600 + x)]);
        }
        return part;
    };
    EXPECT_NE(code_area(genesis), code_area(all));
    EXPECT_EQ(code_area(all), code_area(sampler));

    // 31 characters are drawn as 28 and "..."; 30 are drawn whole.
    const std::string thirty_one = "Abcdefghijklmnopqrstuvwxyz01234";
    answer_lists(test::list_body({{thirty_one, "GEN", "a", 2}}));
    app::load_system(console_by_code("GEN")->system);
    const auto long_title = view_pixels();
    answer_lists(test::list_body({{thirty_one.substr(0, 28) + "...", "GEN", "a", 2}}));
    app::load_system(console_by_code("GEN")->system);
    EXPECT_EQ(view_pixels(), long_title);
    answer_lists(test::list_body({{thirty_one.substr(0, 30), "GEN", "a", 2}}));
    app::load_system(console_by_code("GEN")->system);
    EXPECT_NE(view_pixels(), long_title);
    // Below the only row the view shows nothing of the list.
    const auto one_row = view_pixels();
    for (std::size_t i = 25 * 600; i < one_row.size(); ++i)
        ASSERT_EQ(one_row[i] & 0xFFFFFF, 0u) << i;
}

TEST_F(GameList, TwentyThousandRowsLoadScrollAndDraw) {
    RX_REQUIRE_ARTWORK();
    answer_lists(test::list_body(numbered_rows(20000)));
    app::load_system(console_by_code("GEN")->system);
    ASSERT_EQ(list().rows().size(), 20000u);
    EXPECT_EQ(list().rows()[19999].title, "Game 19999");

    // The end of the list, past every 16-bit coordinate.
    while (list().scroll_offset() < 20000 * 25 - 500) list().page_down();
    EXPECT_EQ(list().scroll_offset(), 499500);
    const auto end_view = view_pixels();
    // Drawing needs no surface the size of the list.
    ASSERT_NE(list().row_ring(), nullptr);
    EXPECT_LE(list().row_ring()->h, 1000);

    // The same rows as the start of a short list look the same (19980 is even, as row 0 is).
    auto all_rows = numbered_rows(20000);
    std::vector<list_row> tail(all_rows.begin() + 19980, all_rows.end());
    answer_lists(test::list_body(tail));
    app::load_search("^[a-b]");
    EXPECT_EQ(view_pixels(), end_view);

    // A view in the middle reached by the wheel: rows 12345..12364 after an odd row.
    answer_lists(test::list_body(all_rows));
    app::load_search("^[c-d]");
    for (int i = 0; i < 12345; ++i) list().wheel_down();
    EXPECT_EQ(list().scroll_offset(), 12345 * 25);
    const auto middle = view_pixels();
    std::vector<list_row> window(all_rows.begin() + 12344, all_rows.begin() + 12366);
    answer_lists(test::list_body(window));
    app::load_search("^[e-f]");
    list().wheel_down();
    EXPECT_EQ(view_pixels(), middle);
}

}  // namespace
}  // namespace rx
