// As a person plays: log in to Relicade, press Play, save in the stand-in emulator, end it with
// Pause, and find the save again in the next game; under X with xdotool against rx_service.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "browser/screens/logic/game_list.h"
#include "harness.h"
#include "wait.h"
#include "x11_windows.h"

namespace rx::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Window and log checks start other programs, so they are polled every 50 ms.
bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return rx::test::wait_until(done, timeout, 50ms);
}

std::string xdo(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"/usr/bin/xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    run_result r = run(argv, {}, 20000);
    std::string out = r.output;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return r.exit_code == 0 ? out : std::string();
}

// Windows are found and watched through the test's one X connection; xdotool is only the hands.
x_watch& x() {
    static x_watch watch;
    return watch;
}

// The mapped window whose title satisfies `match` now; "" when there is none.
std::string window_named(const std::function<bool(const std::string&)>& match) {
    Window found = x().wait_for_window(match, 0ms);
    return found == 0 ? std::string() : std::to_string(found);
}

std::string name_of(const std::string& window) {
    return x().title(std::stoul(window));
}

class PlayFromTheBrowser : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(x().connected());
        const fs::path real(program_dir());
        for (const char* needed :
             {"Relicade", "rx_host", "librxlib.so", "NEURPOLI.TTF", "images"}) {
            if (!fs::exists(real / needed)) GTEST_SKIP() << "the program folder lacks " << needed;
        }
        // A program folder of its own, with real copies of the emulator so rxlib's log and saves
        // stay in it.
        program_ = make_temp_dir();
        fs::copy_file(real / "Relicade", program_ + "/Relicade");
        fs::copy_file(real / "rx_host", program_ + "/rx_host");
        fs::copy_file(real / "librxlib.so", program_ + "/librxlib.so");
        fs::create_symlink(real / "images", program_ + "/images");
        fs::create_symlink(real / "NEURPOLI.TTF", program_ + "/NEURPOLI.TTF");
        for (const char* name :
             {"z26", "mekaw", "visualboyadvance", "gens", "nester", "zsnesw", "ootake", "1964"}) {
            fs::create_symlink("rx_host", program_ + "/" + name);
        }
    }
    void TearDown() override {
        xdo({"keyup", "Pause"});
        relicade_.reset();
        if (!program_.empty() && !HasFailure()) remove_tree(program_);
    }

    std::string requests(const service_process& s) {
        std::string log = read_file(s.data_dir() + "/requests.log");
        for (char& c : log) {
            if (c == '\0') c = '\n';
        }
        return log;
    }

    void click(const std::string& window, int x, int y) {
        xdo({"mousemove", "--sync", "--window", window, std::to_string(x), std::to_string(y),
             "click", "1"});
    }

    void key_to(const std::string& window, const std::string& key) {
        xdo({"windowfocus", "--sync", window});
        xdo({"key", key});
    }

    std::string program_;
    std::unique_ptr<background> relicade_;
};

TEST_F(PlayFromTheBrowser, SaveMadeInTheGameComesBackInTheNextGame) {
    service_process s;
    ASSERT_TRUE(s.started());
    const std::string web = "127.0.0.1:" + std::to_string(s.http_port());
    std::vector<std::string> env{"RELICADE_WEB_HOST=" + web,
                                 "RELICADE_CATALOGUE_HOST=" + web,
                                 "RELICADE_SOCIAL_HOST=" + web,
                                 "RELICADE_EMULATOR_HOST=127.0.0.1",
                                 "RELICADE_GAME_PORT=" + std::to_string(s.game_port()),
                                 "RELICADE_FALLBACK_ADDRESS=127.0.0.1",
                                 "BROWSER=true",
                                 "SDL_AUDIODRIVER=dummy"};
    relicade_ = std::make_unique<background>(std::vector<std::string>{program_ + "/Relicade"}, env,
                                             program_ + "/relicade_output.txt");
    std::string browser;
    ASSERT_TRUE(
        wait_until([&] { return !(browser = window_named(title_is("Relicade"))).empty(); }, 15s));

    // Log in with the keyboard; the pointer over the window gives it the keyboard.
    xdo({"mousemove", "--sync", "--window", browser, "400", "300"});
    std::this_thread::sleep_for(300ms);
    xdo({"type", "--delay", "40", "demo"});
    xdo({"key", "Tab"});
    xdo({"type", "--delay", "40", "demo"});
    xdo({"key", "Return"});
    ASSERT_TRUE(wait_until(
        [&] { return requests(s).find("checkuser.php?username=demo") != std::string::npos; }, 10s));
    std::this_thread::sleep_for(700ms);

    // The Genesis list; then a playable game's information screen and its Play button.
    click(browser, 400, 225);
    const std::string list =
        "/browser/gamelist.php?status=Full&search=1&system=GEN&criteria=^[a-b]&end=1";
    ASSERT_TRUE(wait_until([&] { return requests(s).find(list) != std::string::npos; }, 10s));
    std::this_thread::sleep_for(500ms);
    std::vector<rx::catalogue::game_row> rows;
    ASSERT_TRUE(rx::catalogue::parse_list(service_get(s, list), rows));
    int chosen = -1;
    for (std::size_t i = 0; i < rows.size() && i < 20 && chosen < 0; ++i) {
        if (rows[i].availability > 0) chosen = static_cast<int>(i);
    }
    ASSERT_GE(chosen, 0);
    const std::string game = rows[static_cast<std::size_t>(chosen)].game_id;
    click(browser, 400, 55 + 25 * chosen + 12);
    ASSERT_TRUE(wait_until(
        [&] { return requests(s).find("browser_gameinfo.php?game=" + game) != std::string::npos; },
        10s));
    std::this_thread::sleep_for(700ms);

    auto play = [&] {
        click(browser, 400, 570);
        std::string emulator;
        EXPECT_TRUE(wait_until(
            [&] { return !(emulator = window_named(title_starts_with("rx_host "))).empty(); },
            30s));
        return emulator;
    };

    // First game: no save yet; one is made and stored on the service; the Pause key ends the game.
    std::string emulator = play();
    ASSERT_FALSE(emulator.empty());
    EXPECT_TRUE(
        wait_until([&] { return name_of(emulator).find(game + " ") != std::string::npos; }, 5s));
    EXPECT_NE(name_of(emulator).find("saves=0"), std::string::npos);
    key_to(emulator, "s");
    EXPECT_TRUE(
        wait_until([&] { return name_of(emulator).find("saves=1") != std::string::npos; }, 10s));
    bool stored = wait_until(
        [&] { return rx::test::stored_save(s.data_dir(), "demo", game + ".sav").size() == 8192; },
        10s);
    EXPECT_TRUE(stored) << "the save is not on the service";
    xdo({"keydown", "Pause"});
    EXPECT_TRUE(
        wait_until([&] { return window_named(title_starts_with("rx_host ")).empty(); }, 5s));
    xdo({"keyup", "Pause"});
    ASSERT_TRUE(wait_until([&] { return !window_named(title_is("Relicade")).empty(); }, 5s))
        << "the browser did not return";
    std::this_thread::sleep_for(1000ms);

    // Next game: the save comes back from the service before the game starts.
    std::remove((program_ + "/" + game + ".sav").c_str());
    emulator = play();
    ASSERT_FALSE(emulator.empty());
    EXPECT_TRUE(
        wait_until([&] { return name_of(emulator).find("saves=1") != std::string::npos; }, 5s))
        << name_of(emulator);
    EXPECT_EQ(read_file(program_ + "/" + game + ".sav").size(), 8192u);
    key_to(emulator, "Escape");
    EXPECT_TRUE(
        wait_until([&] { return window_named(title_starts_with("rx_host ")).empty(); }, 10s));
    EXPECT_TRUE(wait_until([&] { return !window_named(title_is("Relicade")).empty(); }, 5s));
    EXPECT_TRUE(relicade_->running()) << "Relicade ended";
    EXPECT_NE(read_file(program_ + "/rxlib_error_log.txt").find("RXLIB Initialized"),
              std::string::npos);
}

}  // namespace
}  // namespace rx::test
