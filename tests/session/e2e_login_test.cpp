// Relicade as a person uses it, under X: type a name and password, log in, reach the main menu,
// close the window, then start again with the saved automatic login. rx_service's request log tells
// which screen is showing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "browser/base/logic/user_info.h"
#include "files.h"
#include "relicade_window.h"

namespace fs = std::filesystem;
using rx::test::pause_ms;
using rx::test::read_file;

namespace {

class relicade_e2e : public rx::test::relicade_window_test {
  protected:
    // Without a display this test fails instead of skipping.
    relicade_e2e() { skip_without_display = false; }
};

const std::string login_line =
    "GET /browser/checkuser.php?username=player&password=secret HTTP/1.1";
const std::string news_line = "GET /browser/news.php HTTP/1.1";

TEST_F(relicade_e2e, typed_login_with_save_and_auto_login_then_a_second_start_logs_in_alone) {
    start_relicade();
    ASSERT_TRUE(logged("GET /browser/current_version.php", 1));
    click_at(400, 402);  // user-name box
    input("type --delay 30 player");
    input("key Tab");
    input("type --delay 30 secret");
    click_at(210, 461);  // save box
    click_at(210, 481);  // auto-login box
    click_at(245, 520);  // Login
    ASSERT_TRUE(logged(login_line, 1));
    // Only the main menu has a news button at this place: its press fetches the news.
    pause_ms(300);
    click_at(400, 520);
    ASSERT_TRUE(logged(news_line, 1)) << "the main menu did not show";
    close_window();
    ASSERT_EQ(wait_relicade_exit(10000), 0);
    EXPECT_TRUE(logged("GET /browser/logout.php?username=player HTTP/1.1", 1, 1000));

    const rx::user_info saved = rx::decode_user_info(read_file(folder / "userinfo.dat"));
    EXPECT_EQ(saved.user_name, L"player");
    EXPECT_EQ(saved.password, L"secret");
    EXPECT_EQ(saved.account_kind, 2);
    EXPECT_EQ(saved.save_login, 1);
    EXPECT_EQ(saved.auto_login, 1);

    // Second start: no typing, no click until the menu has logged in by itself.
    start_relicade();
    ASSERT_TRUE(logged(login_line, 2, 15000)) << "auto login did not run";
    pause_ms(300);
    click_at(400, 520);
    ASSERT_TRUE(logged(news_line, 2)) << "the main menu did not show after auto login";
    close_window();
    ASSERT_EQ(wait_relicade_exit(10000), 0);
    EXPECT_TRUE(fs::exists(folder / "userinfo.dat"));
    const std::string log = read_file(folder / "error_log.txt");
    EXPECT_EQ(log.find("secret"), std::string::npos) << log;
}

TEST_F(relicade_e2e, unticking_the_save_box_removes_the_saved_login_at_exit) {
    rx::user_info saved;
    saved.user_name = L"player";
    saved.password = L"secret";
    saved.account_kind = 2;
    saved.save_login = 1;
    {
        std::ofstream out(folder / "userinfo.dat", std::ios::binary);
        out << rx::encode_user_info(saved);
    }
    start_relicade();
    ASSERT_TRUE(logged("GET /browser/current_version.php", 1));
    click_at(210, 461);  // save box: ticked from the file, now unticked
    click_at(245, 520);  // Login with the saved name and password
    ASSERT_TRUE(logged(login_line, 1));
    pause_ms(300);
    click_at(400, 520);
    ASSERT_TRUE(logged(news_line, 1)) << "the main menu did not show";
    close_window();
    ASSERT_EQ(wait_relicade_exit(10000), 0);
    EXPECT_FALSE(fs::exists(folder / "userinfo.dat"));
}

}  // namespace
