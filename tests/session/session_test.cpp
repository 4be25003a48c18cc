// Login, logout and the version check: exact request bytes against a recording server, account
// kinds against rx_service, and the main menu's and login screen's actions through the browser
// core's handlers.
#include "browser/app/session.h"

#include <gtest/gtest.h>

#include <chrono>

#include "../transport/test_server.h"
#include "browser/app/app.h"
#include "browser/app/handlers.h"
#include "browser/app/screens.h"
#include "service_process.h"
#include "session_env.h"
#include "widgets/display_message.h"

using namespace rx_test;

namespace {

const std::string ok_header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";

class session : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = make_program_folder();
        rx::set_directory_override(folder);
        start_sdl();
        rx::app::load_files();
        rx::app::create_message();
        rx::platform::set_processes(&runner());
        rx::screens().login.init();
        rx::screens().main_menu.init();
    }
    static void TearDownTestSuite() {
        rx::platform::set_processes(nullptr);
        rx::app::destroy_message();
        rx::set_directory_override(std::nullopt);
        SDL_Quit();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    void SetUp() override {
        setenv("RELICADE_FALLBACK_ADDRESS", "127.0.0.1", 1);
        setenv("RELICADE_CATALOGUE_HOST", ("localhost:" + std::to_string(closed_port())).c_str(),
               1);
        rx::app::reset_loop_state();
        rx::app::user() = rx::user_info{};
        rx::app::clear_controls();
        rx::app::set_current_screen(rx::screen_login);
        // A message an earlier test's login put up would still be showing.
        rx::app::destroy_message();
        rx::app::create_message();
        std::lock_guard<std::mutex> lock(runner().mutex);
        runner().urls.clear();
        runner().detached.clear();
        std::error_code ignored;
        fs::remove(log_path(), ignored);
        SDL_Event drop;
        while (SDL_PollEvent(&drop)) {
        }
    }

    static fake_runner& runner() {
        static fake_runner instance;
        return instance;
    }
    static fs::path log_path() { return fs::path(folder) / "error_log.txt"; }
    static rx::rx_login_input& login_screen() { return rx::screens().login; }
    static rx::rx_main_input& menu() { return rx::screens().main_menu; }

    static void type_login(const std::wstring& user, const std::wstring& password) {
        login_screen().set_user_name(user);
        login_screen().set_password(password);
    }

    static void use_web_host(const std::string& host) {
        setenv("RELICADE_WEB_HOST", host.c_str(), 1);
        // The offered update's release is asked of the catalogue host, the same service here.
        setenv("RELICADE_CATALOGUE_HOST", host.c_str(), 1);
    }

    // A click as a person makes it: press and release inside the button, each through the screen's
    // handler.
    static void click(void (*handler)(SDL_Event), int x, int y) {
        move_pointer(x, y);
        handler(mouse_down(x, y));
        handler(mouse_up(x, y));
    }

    static std::string folder;
};
std::string session::folder;

TEST_F(session, login_sends_the_names_as_typed_and_keeps_the_reply) {
    const std::string reply = ok_header + "||2||EOL";
    test_server server(
        [&](test_server&, int fd, const std::string&) { test_server::send_all(fd, reply); });
    use_web_host("localhost:" + std::to_string(server.port()));
    type_login(L"joe smith&co", L"pa&s w");
    EXPECT_TRUE(rx::login());
    ASSERT_TRUE(server.wait_for_requests(1));
    EXPECT_EQ(
        server.requests()[0],
        std::string("GET /browser/checkuser.php?username=joe smith&co&password=pa&s w HTTP/1.1\n"
                    "Host: localhost\n\n") +
            '\0');
    EXPECT_EQ(rx::app::current_screen(), rx::screen_main);
    EXPECT_EQ(rx::app::user().user_name, L"joe smith&co");
    EXPECT_EQ(rx::app::user().account_kind, 2);
    EXPECT_EQ(read_file(fs::path(folder) / "rx_login_reply.txt"), reply);
    EXPECT_EQ(read_file(log_path()).find("pa&s"), std::string::npos);
}

TEST_F(session, logout_and_version_requests) {
    test_server server([](test_server&, int fd, const std::string& request) {
        if (request.find("current_version") != std::string::npos)
            test_server::send_all(fd, ok_header + "||4.29||EOL");
    });
    use_web_host("localhost:" + std::to_string(server.port()));
    type_login(L"a b&c", L"x");
    rx::logout();
    EXPECT_TRUE(rx::check_version());
    ASSERT_TRUE(server.wait_for_requests(2));
    EXPECT_EQ(
        server.requests()[0],
        std::string("GET /browser/logout.php?username=a b&c HTTP/1.1\nHost: localhost\n\n") + '\0');
    EXPECT_EQ(server.requests()[1],
              std::string("GET /browser/current_version.php HTTP/1.1\nHost: localhost\n\n") + '\0');
    EXPECT_TRUE(runner().detached.empty()) << "4.29 is not newer";
}

TEST_F(session, fallback_address_keeps_the_web_hosts_name_in_the_host_line) {
    test_server server([](test_server&, int fd, const std::string&) {
        test_server::send_all(fd, ok_header + "||2||EOL");
    });
    use_web_host("web.no-such-host.invalid:" + std::to_string(server.port()));
    type_login(L"u", L"p");
    EXPECT_TRUE(rx::login());
    ASSERT_TRUE(server.wait_for_requests(1));
    EXPECT_NE(server.requests()[0].find("HTTP/1.1\nHost: web.no-such-host.invalid\n\n"),
              std::string::npos);
    EXPECT_EQ(read_file(log_path()), "Failure resolving host - login\n");
}

TEST_F(session, failed_exchanges_log_and_stay_on_the_login_screen) {
    use_web_host("localhost:" + std::to_string(closed_port()));
    type_login(L"u", L"p");
    EXPECT_FALSE(rx::login());
    EXPECT_FALSE(rx::check_version());
    rx::logout();
    const std::string log = read_file(log_path());
    EXPECT_NE(log.find("Failure opening socket - login\n"), std::string::npos);
    EXPECT_NE(log.find("Failure opening socket -\n"), std::string::npos);
    EXPECT_NE(log.find("\n - check_version\n"), std::string::npos);
    EXPECT_NE(log.find("Failure opening socket - logout\n"), std::string::npos);
    EXPECT_EQ(rx::app::current_screen(), rx::screen_login);

    test_server server([](test_server&, int fd, const std::string&) {
        test_server::send_all(fd, ok_header + "no marker");
    });
    use_web_host("localhost:" + std::to_string(server.port()));
    EXPECT_FALSE(rx::login());
    EXPECT_NE(read_file(log_path()).find("Failure reading reply - login\n"), std::string::npos);
    EXPECT_TRUE(rx::app::message().hidden()) << "no message on screen except the refusal";
}

TEST_F(session, a_reply_without_a_version_starts_no_update) {
    for (const std::string body : {"||EOL", "||||EOL", "nothing"}) {
        test_server server([body](test_server&, int fd, const std::string&) {
            test_server::send_all(fd, ok_header + body);
        });
        use_web_host("localhost:" + std::to_string(server.port()));
        EXPECT_TRUE(rx::check_version());
        EXPECT_TRUE(runner().detached.empty()) << body;
    }
}

TEST_F(session, login_screen_buttons_cancel_sign_up_and_guest) {
    test_server server([](test_server&, int fd, const std::string&) {
        test_server::send_all(fd, ok_header + "||2||EOL");
    });
    use_web_host("www.example.test:" + std::to_string(server.port()));
    click(rx::handle_login_events, 400, 520);  // sign up
    rx::handle_login_events(SDL_Event{});
    ASSERT_EQ(runner().urls.size(), 1u);
    EXPECT_EQ(runner().urls[0],
              "http://www.example.test:" + std::to_string(server.port()) + "/signup.html");

    click(rx::handle_login_events, 400, 570);  // login as guest
    rx::handle_login_events(SDL_Event{});
    ASSERT_TRUE(server.wait_for_requests(1));
    EXPECT_NE(server.requests()[0].find("username=guest&password=guest HTTP"), std::string::npos);
    EXPECT_EQ(rx::app::current_screen(), rx::screen_main);

    rx::app::set_current_screen(rx::screen_login);
    click(rx::handle_login_events, 550, 520);  // cancel
    rx::handle_login_events(SDL_Event{});
    EXPECT_TRUE(rx::app::quit_requested());
}

// ---- against the stand-in service ----

class with_service : public session {
  protected:
    void SetUp() override {
        session::SetUp();
        request_log = (fs::path(folder) / "requests.log").string();
    }
    // rx_service under the name the clients use, logging every request to `request_log`.
    std::vector<std::string> service_args(std::vector<std::string> extra = {}) const {
        std::vector<std::string> args = {"--host", "localhost", "--request-log", request_log};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    std::string request_log;
};

TEST_F(with_service, refused_login_shows_the_message_for_about_five_seconds) {
    service_process service(service_args());
    ASSERT_TRUE(service.started());
    use_web_host(service.web_host());
    type_login(L"player", L"wrong");
    EXPECT_FALSE(rx::login());
    EXPECT_EQ(rx::app::current_screen(), rx::screen_login);
    EXPECT_EQ(rx::app::message().text(), "Incorrect Username or password.");
    int frames = 0;
    while (!rx::app::message().hidden() && frames < 1000) {
        rx::app::message().show();
        ++frames;
    }
    EXPECT_EQ(frames, 6 * 60 + 1) << "a little under six seconds of 16 ms frames";
}

TEST_F(with_service, full_account_gets_the_news_button_and_change_user_keeps_it_right) {
    service_process service(service_args());
    ASSERT_TRUE(service.started());
    use_web_host(service.web_host());

    type_login(L"free", L"free");
    SDL_Event press = key_down(SDLK_a, 'a');
    SDL_PushEvent(&press);  // ends the splash after its first second
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(rx::login());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(rx::app::user().account_kind, 1);
    EXPECT_EQ(menu().artwork(rx::rx_main_input::slot_news), "button_upgrade.png");
    EXPECT_EQ(menu().artwork(rx::console_by_code("GEN")->menu_slot), "button_genesis_guest.png");
    ASSERT_EQ(runner().urls.size(), 1u);
    EXPECT_EQ(runner().urls[0],
              "http://" + service.web_host() + "/myaccount.html?username=free&password=free");

    click(rx::handle_main_events, 560, 520);  // change user
    rx::handle_main_events(SDL_Event{});
    EXPECT_EQ(rx::app::current_screen(), rx::screen_login);

    type_login(L"player", L"secret");
    EXPECT_TRUE(rx::login());
    EXPECT_EQ(rx::app::user().account_kind, 2);
    EXPECT_EQ(menu().artwork(rx::rx_main_input::slot_news), "button_news.png");
    EXPECT_EQ(menu().artwork(rx::console_by_code("GEN")->menu_slot), "button_genesis.png");
}

TEST_F(with_service, guest_splash_counts_ten_seconds_without_input) {
    service_process service(service_args());
    ASSERT_TRUE(service.started());
    use_web_host(service.web_host());
    type_login(L"guest", L"guest");
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(rx::login());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, 10.0);
    EXPECT_LT(seconds, 12.5);
    EXPECT_TRUE(runner().urls.empty());
    EXPECT_EQ(menu().artwork(rx::rx_main_input::slot_news), "button_upgrade.png");

    // The upgrade button sends a guest to the sign-up page and stays on the menu.
    click(rx::handle_main_events, 400, 520);
    rx::handle_main_events(SDL_Event{});
    ASSERT_EQ(runner().urls.size(), 1u);
    EXPECT_EQ(runner().urls[0], "http://" + service.web_host() + "/signup.html");
    EXPECT_EQ(rx::app::current_screen(), rx::screen_main);
}

TEST_F(with_service, served_version_four_point_three_hands_over_to_the_updater) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    service_process service(service_args({"--fault", "version=4.3"}));
    ASSERT_TRUE(service.started());
    use_web_host(service.web_host());
    // The hand-off needs an updater beside the browser.
    ASSERT_TRUE(rx::test::write_file(folder + "/rx_update", "updater"));
    // The child re-runs this test in a program folder of its own.
    const std::string expected =
        "detached start: /tmp/rx_session_[A-Za-z0-9]+/rx_update\\| 0 v4\\.30";
    EXPECT_EXIT(rx::check_version(), ::testing::ExitedWithCode(0), expected);
    fs::remove(fs::path(folder) / "rx_update");
}

// Once the offered release is in, the served version (which the update does not change) starts no
// second update; a newer release of the same location does, and so does a record of another one.
TEST_F(with_service, an_offered_release_already_installed_starts_no_update) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    service_process service(service_args({"--fault", "version=4.30"}));
    ASSERT_TRUE(service.started());
    use_web_host(service.web_host());
    ASSERT_TRUE(rx::test::write_file(folder + "/rx_update", "updater"));
    const std::string record = folder + "/installed_releases.txt";
    // The build signed its sample update as release 1.
    ASSERT_TRUE(rx::test::write_file(record, "v4.29 7\nv4.30 1\n"));
    EXPECT_TRUE(rx::check_version());
    EXPECT_TRUE(runner().detached.empty());
    EXPECT_EQ(rx::app::current_screen(), rx::screen_login);

    ASSERT_TRUE(rx::test::write_file(record, "v4.29 7\n"));
    EXPECT_EXIT(rx::check_version(), ::testing::ExitedWithCode(0), "rx_update\\| 0 v4\\.30");

    service_process newer(service_args(
        {"--fault", "version=4.30", "--fault", "signature=location v4.30\nrelease 2\n"}));
    ASSERT_TRUE(newer.started());
    use_web_host(newer.web_host());
    ASSERT_TRUE(rx::test::write_file(record, "v4.30 1\n"));
    EXPECT_EXIT(rx::check_version(), ::testing::ExitedWithCode(0), "rx_update\\| 0 v4\\.30");
    fs::remove(record);
    fs::remove(fs::path(folder) / "rx_update");
}

TEST_F(with_service, a_newer_version_without_an_updater_logs_and_carries_on_to_the_login_screen) {
    service_process service(service_args({"--fault", "version=4.30"}));
    ASSERT_TRUE(service.started());
    use_web_host(service.web_host());
    // The folder is the suite's: no updater may be left there by another test.
    fs::remove(fs::path(folder) / "rx_update");
    EXPECT_TRUE(rx::check_version());
    EXPECT_TRUE(runner().detached.empty());
    EXPECT_NE(
        rx::test::read_file(log_path().string()).find("Failure finding rx_update - check_version"),
        std::string::npos);
    EXPECT_EQ(rx::app::current_screen(), rx::screen_login);
}

TEST_F(with_service, closing_the_window_during_the_splash_ends_the_program_at_once) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    service_process service(service_args());
    ASSERT_TRUE(service.started());
    use_web_host(service.web_host());
    type_login(L"guest", L"guest");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EXIT(
        {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
            rx::login();
            std::fprintf(stderr, "splash returned\n");
        },
        ::testing::ExitedWithCode(0), "^$");
    // One second of the splash, plus starting the test child again.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(with_service, served_version_four_point_two_nine_and_an_empty_one_start_nothing) {
    for (const char* version : {"version=4.29", "version="}) {
        service_process service(service_args({"--fault", version}));
        ASSERT_TRUE(service.started());
        use_web_host(service.web_host());
        EXPECT_TRUE(rx::check_version()) << version;
        EXPECT_TRUE(runner().detached.empty()) << version;
    }
}

TEST_F(with_service, main_menu_buttons_open_their_screens_and_systems) {
    service_process service(service_args());
    ASSERT_TRUE(service.started());
    use_web_host(service.web_host());
    type_login(L"player", L"secret");
    ASSERT_TRUE(rx::login());

    struct expectation {
        int x;
        int y;
        int screen;
        int system;
    };
    // N64 stands second row, last column and opens 12; PC Engine third row, third column and
    // opens 11.
    const expectation cases[] = {
        {700, 200, rx::screen_game_list, 12}, {380, 350, rx::screen_game_list, 11},
        {60, 50, rx::screen_game_list, 1000}, {540, 350, rx::screen_game_list, 0},
        {60, 500, rx::screen_controls, -1},   {700, 350, rx::screen_facebook, -1},
        {400, 520, rx::screen_news, -1}};
    for (const expectation& c : cases) {
        rx::app::clear_controls();
        rx::app::set_current_screen(rx::screen_main);
        rx::app::user().last_system = -1;
        click(rx::handle_main_events, c.x, c.y);
        rx::handle_main_events(SDL_Event{});
        EXPECT_EQ(rx::app::current_screen(), c.screen) << c.x << "," << c.y;
        EXPECT_EQ(rx::app::user().last_system, c.system) << c.x << "," << c.y;
    }

    rx::app::set_current_screen(rx::screen_main);
    const bool was_fullscreen = rx::app::fullscreen();
    click(rx::handle_main_events, 240, 520);
    rx::handle_main_events(SDL_Event{});
    EXPECT_NE(rx::app::fullscreen(), was_fullscreen);
    rx::app::toggle_fullscreen();

    click(rx::handle_main_events, 700, 520);
    rx::handle_main_events(SDL_Event{});
    EXPECT_TRUE(rx::app::quit_requested());
}

}  // namespace
