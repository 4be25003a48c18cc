// Display-free session texts and console tables: request targets, reply fields, update decision,
// URLs.
#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "browser/base/logic/screen_numbers.h"
#include "browser/base/logic/session_text.h"
#include "emulators/profiles.h"
#include "emulators/systems.h"

namespace {

TEST(session_text, targets_insert_names_as_typed_without_encoding) {
    EXPECT_EQ(rx::login_target(L"joe smith&co", L"p w^[d"),
              "/browser/checkuser.php?username=joe smith&co&password=p w^[d");
    EXPECT_EQ(rx::logout_target(L"a b"), "/browser/logout.php?username=a b");
    // Latin-1 letters go out as their single byte; anything beyond becomes '?' instead of ending
    // the text.
    EXPECT_EQ(rx::narrow_text(L"Jos\u00e9\u20ac"), std::string("Jos\xe9?"));
}

TEST(session_text, account_kind_is_the_digit_before_the_first_marker_after_the_start) {
    EXPECT_EQ(rx::parse_account_kind("HTTP/1.1 200 OK\r\n\r\n||2||EOL"), 2);
    EXPECT_EQ(rx::parse_account_kind("HTTP/1.1 200 OK\r\n\r\n||0||EOL"), 0);
    EXPECT_EQ(rx::parse_account_kind("h||1||EOL||2||EOL"), 1);
    EXPECT_EQ(rx::parse_account_kind("x||EOL"), 0) << "a non-digit reads as refused";
    EXPECT_FALSE(rx::parse_account_kind("||EOL"));
    EXPECT_FALSE(rx::parse_account_kind("HTTP/1.1 500\r\n\r\n"));
    EXPECT_FALSE(rx::parse_account_kind(""));
}

TEST(session_text, version_is_between_the_first_two_separators_and_decides_the_update) {
    EXPECT_EQ(rx::parse_version("HTTP/1.1 200 OK\r\n\r\n||4.3||EOL"), "4.3");
    EXPECT_EQ(rx::parse_version("h||||EOL"), "");
    EXPECT_FALSE(rx::parse_version("no separators"));
    EXPECT_FALSE(rx::parse_version("only||one"));
    EXPECT_FALSE(rx::update_due("4.29"));
    EXPECT_TRUE(rx::update_due("4.3"));
    EXPECT_TRUE(rx::update_due("4.30"));
    EXPECT_FALSE(rx::update_due(""));
    EXPECT_FALSE(rx::update_due("v5"));
    EXPECT_EQ(rx::update_parameters(0, rx::built_in_version), " 0 v4.30");
    EXPECT_EQ(rx::update_parameters(1, rx::built_in_version), " 1 v4.30");
}

TEST(session_text, page_addresses) {
    EXPECT_EQ(rx::signup_url("www.example.net"), "http://www.example.net/signup.html");
    EXPECT_EQ(rx::account_url("h:8080", L"free", L"p@ss"),
              "http://h:8080/myaccount.html?username=free&password=p@ss");
    EXPECT_EQ(rx::facebook_authorisation_url("apps.social", L"joe"),
              "http://apps.social/rx_status_update/?username=joe&authorize=1");
    EXPECT_EQ(rx::facebook_status_url("apps.social", L"joe"),
              "http://apps.social/rx_status_update/?username=joe");
}

TEST(console_tables, codes_pick_program_scheme_and_name) {
    const rx::emulator_entry* snes = rx::find_emulator("SNES");
    ASSERT_NE(snes, nullptr);
    EXPECT_EQ(snes->program, "zsnesw");
    EXPECT_EQ(snes->scheme, "zsnes://");
    const rx::emulator_entry* gamegear = rx::find_emulator("SGG");
    ASSERT_NE(gamegear, nullptr);
    EXPECT_EQ(gamegear->program, "mekaw");
    EXPECT_EQ(gamegear->scheme, rx::find_emulator("SMS")->scheme);
    EXPECT_EQ(rx::find_emulator("GB")->scheme, rx::find_emulator("GBC")->scheme);
    EXPECT_EQ(rx::find_emulator("GBA")->scheme, "rxgba://");
    EXPECT_EQ(rx::find_emulator("PCE")->display_name, "Turbo Graphics 16");
    EXPECT_EQ(rx::find_emulator("gen"), nullptr) << "codes compare exactly";
    EXPECT_EQ(rx::find_emulator("None"), nullptr);
}

TEST(console_tables, system_numbers_and_controls_screens) {
    EXPECT_EQ(rx::find_system(11)->code, "PCE");
    EXPECT_EQ(rx::find_system(12)->code, "N64");
    EXPECT_EQ(rx::find_system(1000)->code, "ALL");
    EXPECT_EQ(rx::find_system(1000)->title, "Free Sampler");
    EXPECT_EQ(rx::find_system(13), nullptr);
    const int expected[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 19};
    for (int n = 0; n <= 12; ++n) EXPECT_EQ(rx::controls_screen_for_system(n), expected[n]) << n;
    EXPECT_EQ(rx::controls_screen_for_system(1000), 6);
    EXPECT_EQ(rx::controls_screen_for_system(-3), 6);
    // Every system code the game list sends for a console has an emulator.
    for (const auto& s : rx::system_table) {
        if (s.code != "ALL") {
            EXPECT_NE(rx::find_emulator(s.code), nullptr) << s.code;
        }
    }
}

}  // namespace

namespace {

// Each numbering of the console table names every console once, and none takes a number that
// belongs to something else: a screen that is not a console, a main menu cell of another button.
TEST(console_tables, every_numbering_is_one_to_one) {
    std::set<std::string_view> codes;
    std::set<int> systems, screens, slots, cells, controls;
    for (const rx::console_row& row : rx::console_table) {
        EXPECT_TRUE(codes.insert(row.code).second) << row.code;
        EXPECT_TRUE(systems.insert(row.system).second) << row.code;
        EXPECT_TRUE(screens.insert(row.screen).second) << row.code;
        EXPECT_TRUE(slots.insert(row.menu_slot).second) << row.code;
        EXPECT_TRUE(cells.insert(row.menu_cell).second) << row.code;
        EXPECT_TRUE(controls.insert(row.controls_slot).second) << row.code;
        EXPECT_NE(row.system, rx::system_all) << row.code;
        EXPECT_NE(row.system, rx::system_free) << row.code;
        EXPECT_EQ(rx::console_by_code(row.code), &row);
        EXPECT_EQ(rx::console_by_screen(row.screen), &row);
        EXPECT_EQ(rx::find_system(row.system)->controls_screen, row.screen) << row.code;
        EXPECT_EQ(rx::find_emulator(row.code)->program, rx::profile_named(row.emulator)->program)
            << row.code;
    }
    const int n = static_cast<int>(rx::console_count);
    // Systems 1..n; the main menu's first cell and slot hold the free sampler, the consoles the
    // next n; the controls menu lists them from 0.
    EXPECT_EQ(*systems.begin(), 1);
    EXPECT_EQ(*systems.rbegin(), n);
    EXPECT_EQ(*slots.begin(), 1);
    EXPECT_EQ(*slots.rbegin(), n);
    EXPECT_EQ(*cells.begin(), 1);
    EXPECT_EQ(*cells.rbegin(), n);
    EXPECT_EQ(*controls.begin(), 0);
    EXPECT_EQ(*controls.rbegin(), n - 1);
    for (int fixed : {rx::screen_login, rx::screen_main, rx::screen_news, rx::screen_game_list,
                      rx::screen_game_info, rx::screen_controls, rx::screen_facebook}) {
        EXPECT_EQ(screens.count(fixed), 0u) << fixed;
    }
    EXPECT_GT(*screens.begin(), 0);
    EXPECT_LE(*screens.rbegin(), static_cast<int>(rx::screen_last));
    EXPECT_EQ(rx::console_screen_of("GEN"), 13);
    EXPECT_EQ(rx::console_screen_of("gen"), 0) << "codes compare exactly";
}

}  // namespace
