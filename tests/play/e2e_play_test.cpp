// Playing the NES, Gameboy, Gameboy Advance, SNES, Genesis and Game Gear test games as a person
// would, under X against rx_service: log in with a full account, capture a key for Right on the
// console's controls screen and save it, open the console's list, Play the test game in rx_retro,
// see its picture, move its square with the captured key, close the window, find the save on the
// service, and Play again to see the start count come back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "browser/screens/logic/game_list.h"
#include "emulators/binding_codec.h"
#include "emulators/gens_settings.h"
#include "emulators/key_names.h"
#include "emulators/meka_settings.h"
#include "emulators/nester_settings.h"
#include "emulators/vba_settings.h"
#include "emulators/zsnes_settings.h"
#include "files.h"
#include "game_picture.h"
#include "loopback.h"
#include "platform/input_guid.h"
#include "platform/registry.h"
#include "relicade_window.h"

namespace fs = std::filesystem;
using rx::test::area;
using rx::test::capture_window;
using rx::test::changed_pixels;
using rx::test::colour_summary;
using rx::test::game_view;
using rx::test::read_file;
using rx::test::read_game;
using rx::test::window_picture;

namespace {

enum class settings_store { nester_registry, vba_ini, zinput_cfg, gens_cfg, meka_inp };

// One console: how a person reaches its screens and what its test game shows in rx_retro's window.
// Colours are as the window shows them: a core's 15- and 16-bit colours are widened by repeating
// their top bits (the Gameboy core's 160 grey in 5-6-5 bits shows as A5A2A5).
struct console_case {
    const char* name;
    const char* system_code;
    int menu_x, menu_y;  // the console's button in the main menu
    int right_box_y;     // the Right capture box on the controls screen (boxes start at x 160)
    int save_x, save_y;  // Save Settings
    settings_store store;
    const char* key;  // the key captured for Right, as xdotool names it
    int key_code;     // the same key as the settings keep it (a DirectInput scan code)
    const char* game_id;
    const char* core;  // in the program folder's cores/
    rx::test::game_colours colours;
    std::size_t save_at;  // where the game's record starts in its battery memory
};

// clang-format off
const console_case consoles[] = {
    // name     code    menu      Right Save store                             key  code  game                 core
    //          background unlit     lit       square    record
    {"NES",     "NES",  560, 225, 191,  387, 350, settings_store::nester_registry, "k", 0x25, "relicade_nes.nes",  "nestopia_libretro.so",
                {0x153CFE,  0x585858, 0xFFFFFF, 0xD22C00}, 0},
    {"Gameboy", "GB",   560,  75, 161,  387, 380, settings_store::vba_ini,         "l", 0x26, "relicade_gb.gb",    "gambatte_libretro.so",
                {0xA5A2A5,  0x525152, 0xFFFBFF, 0x000000}, 0},
    // The Gameboy Advance game keeps the count through mGBA's change of save memory size.
    {"GBA",     "GBA",   80, 225, 161,  387, 380, settings_store::vba_ini,         "h", 0x23, "relicade_gba.gba",  "mgba_libretro.so",
                {0x0000FF,  0x525152, 0xFFFBFF, 0xFF0000}, 0},
    {"SNES",    "SNES", 240, 375, 191,  387, 470, settings_store::zinput_cfg,      "j", 0x24, "relicade_snes.sfc", "bsnes_mercury_performance_libretro.so",
                {0x0000FF,  0x525252, 0xFFFFFF, 0xFF0000}, 0},
    // The Sega core built from source; the Game Gear shows its 160x144 window in 12-bit colours.
    {"Genesis", "GEN",  400, 225, 191,  387, 440, settings_store::gens_cfg,        "u", 0x16, "relicade_genesis.gen", "libblastem.so",
                {0x0000FF,  0x575757, 0xFFFFFF, 0xFF0000}, 0},
    {"GameGear", "SGG", 240, 225, 221,  465, 400, settings_store::meka_inp,        "i", 0x17, "relicade_gg.gg",    "libblastem.so",
                {0x0055AA,  0x555555, 0xFFFFFF, 0xFF5500}, 0},
};
// clang-format on

// The first row's Right key sits on the fourth row of every screen.
constexpr int right_row = 3;
constexpr int box_x = 310;
// The filter button of titles from Q to R in every game list.
constexpr int q_r_filter_x = 52, q_r_filter_y = 84 + 34 * 8 + 20;
// A change of screen redraws far more than a button's hover or pressed frame (150 x 40 pixels).
constexpr int new_screen_pixels = 40000;

void PrintTo(const console_case& c, std::ostream* out) {
    *out << c.name;
}

// The processes running the program file at `path` (rx_retro in the test's own folder).
std::vector<pid_t> running(const fs::path& path) {
    std::vector<pid_t> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code link_ec;
        if (fs::read_symlink(entry.path() / "exe", link_ec) == path)
            found.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return found;
}

class play_e2e : public rx::test::relicade_window_test,
                 public ::testing::WithParamInterface<console_case> {
  protected:
    play_e2e() { folder_prefix = "rx_play_e2e"; }

    void SetUp() override {
        // The nester screen and rx_retro share the registry through this file, which the test
        // reads back as well.
        registry_file_ = rx::test::make_temp_dir("rx_play_registry");
        ASSERT_FALSE(registry_file_.empty());
        registry_file_ += "/registry";
        setenv("RELICADE_REGISTRY_FILE", registry_file_.c_str(), 1);
        relicade_window_test::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // rx_retro under the emulators' names; a copy, since it finds its settings, log and saves
        // beside its own file.
        const fs::path real(rx::test::program_dir());
        for (const char* needed : {"rx_retro", "librxlib.so", "cores"})
            ASSERT_TRUE(fs::exists(real / needed)) << needed;
        ASSERT_TRUE(fs::exists(real / "cores" / GetParam().core))
            << GetParam().core << " was not fetched (scripts/fetch_cores.sh)";
        fs::copy_file(real / "rx_retro", folder / "rx_retro");
        fs::permissions(folder / "rx_retro", fs::perms::owner_all);
        fs::create_symlink(real / "librxlib.so", folder / "librxlib.so");
        fs::create_directory_symlink(real / "cores", folder / "cores");
        for (const char* name : {"visualboyadvance", "nester", "zsnesw", "ootake", "gens", "mekaw"})
            fs::create_symlink("rx_retro", folder / name);
        // The settings files the build lays beside rx_retro, which the controls screens rewrite;
        // nester's registry keys are made by its screen.
        for (const char* shipped :
             {"vba.ini", "zinput.cfg", "ootake.dat", "gens.cfg", "meka.inp"}) {
            ASSERT_TRUE(fs::exists(real / shipped)) << shipped << " was not laid by the build";
            fs::copy_file(real / shipped, folder / shipped);
        }
    }

    void TearDown() override {
        // A key held by a failed step must not stay down for the next test.
        rx::test::xdotool(std::string("keyup ") + GetParam().key);
        // A game left open by a failed step is closed as a person would, and ended when it does
        // not go: it is Relicade's child and would outlive it.
        if (emulator_ != 0) rx::test::send_delete_window(display, emulator_);
        if (!folder.empty()) {
            const fs::path program = folder / "rx_retro";
            if (!wait_until([&] { return running(program).empty(); }, 10000)) {
                for (pid_t left : running(program)) kill(left, SIGKILL);
            }
        }
        relicade_window_test::TearDown();
        unsetenv("RELICADE_REGISTRY_FILE");
        if (!registry_file_.empty()) rx::test::remove_tree(fs::path(registry_file_).parent_path());
    }

    window_picture browser_picture() { return capture_window(display, window); }

    // Relicade's picture once it has stayed the same for 300 ms: a screen whose list has
    // arrived, not the loading page drawn before the request (empty when it never settles).
    window_picture settled_picture() {
        window_picture last = browser_picture();
        auto since = std::chrono::steady_clock::now();
        const bool settled = wait_until(
            [&] {
                window_picture now = browser_picture();
                if (now.pixels != last.pixels) {
                    last = std::move(now);
                    since = std::chrono::steady_clock::now();
                }
                return std::chrono::steady_clock::now() - since >= std::chrono::milliseconds(300);
            },
            15000);
        return settled ? last : window_picture{};
    }

    // Clicks once the screen has settled and waits until Relicade has settled on another one.
    // A click that reached the old screen in the same frame as this one would land there.
    ::testing::AssertionResult click_to_new_screen(int x, int y) {
        const window_picture before = settled_picture();
        if (before.empty()) return ::testing::AssertionFailure() << "the screen never settled";
        click_at(x, y);
        if (wait_until(
                [&] { return changed_pixels(before, browser_picture()) > new_screen_pixels; },
                15000) &&
            changed_pixels(before, settled_picture()) > new_screen_pixels)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no new screen after the click at " << x << "," << y;
    }

    void log_in() {
        ASSERT_TRUE(logged("GET /browser/current_version.php"));
        // The user-name box has the focus; the pointer over the window gives it the keyboard.
        point_at(400, 300);
        input("type --delay 40 demo");
        input("key Tab");
        input("type --delay 40 demo");
        const window_picture login = browser_picture();
        input("key Return");
        ASSERT_TRUE(logged("checkuser.php?username=demo&password=demo"));
        ASSERT_TRUE(wait_until(
            [&] { return changed_pixels(login, browser_picture()) > new_screen_pixels; }, 15000))
            << "the main menu did not show";
    }

    // What the settings hold for the first pad's Right; nullopt when nothing was written.
    std::optional<int> saved_right(const console_case& c) {
        switch (c.store) {
            case settings_store::nester_registry: {
                auto& store = rx::platform::user_registry();
                if (!store.key_exists(rx::nester::key_path(0, right_row))) return std::nullopt;
                return rx::nester::read_record(store, rx::nester::key_path(0, right_row)).key;
            }
            case settings_store::vba_ini: {
                const auto loaded = rx::vba::parse(read_file(folder / "vba.ini"));
                const auto& value = loaded.values[right_row];
                return value ? std::optional<int>(std::atoi(value->c_str())) : std::nullopt;
            }
            case settings_store::zinput_cfg: {
                std::vector<rx::binding> records;
                rx::zsnes::load(read_file(folder / "zinput.cfg"), records);
                if (records.size() <= right_row) return std::nullopt;
                return std::atoi(records[right_row].emu.c_str());
            }
            case settings_store::gens_cfg: {
                std::vector<rx::binding> records;
                rx::gens::load(read_file(folder / "gens.cfg"), records);
                if (records.size() <= right_row) return std::nullopt;
                return std::atoi(records[right_row].emu.c_str());
            }
            case settings_store::meka_inp: {
                // MEKA keeps the key's name; the load reads it as its code.
                std::vector<rx::binding> records(rx::meka::binding_count);
                rx::meka::load(read_file(folder / "meka.inp"), records);
                const rx::input& right = records[right_row].id;
                if (right.type != rx::input::kind::key) return std::nullopt;
                return right.index;
            }
        }
        return std::nullopt;
    }

    // The row of the console's Q-R list that holds the test game.
    int game_row(const console_case& c) {
        const std::string target = rx::catalogue::list_target(2, 1, c.system_code, "^[q-r]");
        const std::string reply = rx::test::exchange(
            service->http_port(),
            "GET " + target + " HTTP/1.0\nHost: localhost\n\n" + std::string(1, '\0'));
        std::vector<rx::catalogue::game_row> rows;
        if (!rx::catalogue::parse_list(reply, rows)) return -1;
        for (std::size_t i = 0; i < rows.size() && i < 20; ++i)
            if (rows[i].game_id == c.game_id) return static_cast<int>(i);
        return -1;
    }

    // The save as the service keeps it for the account; "" while there is none.
    std::string service_save(const console_case& c) {
        return rx::test::stored_save(service->data_dir(), "demo", std::string(c.game_id) + ".sav");
    }

    // The start count the save holds; -1 without the game's record.
    static int saved_count(const std::string& save, const console_case& c) {
        return rx::test::saved_count(save, c.save_at);
    }

    // Presses the row's left end and waits for rx_retro's window showing the game.
    game_view play(const console_case& c, int row) {
        game_view view;
        click_at(150, 55 + 25 * row + 12);
        emulator_ =
            x->wait_for_window(rx::test::title_is(c.game_id), std::chrono::milliseconds(60000));
        EXPECT_NE(emulator_, 0u) << "no game window";
        if (emulator_ == 0) return view;
        window_picture shown;
        const bool drawn = wait_until(
            [&] {
                shown = capture_window(display, emulator_);
                view = read_game(shown, c.colours);
                return view.counter >= 0 && view.square.count > 0;
            },
            30000);
        EXPECT_TRUE(drawn) << "the game's picture did not show: " << colour_summary(shown);
        return view;
    }

    // What a window manager's close button does; the browser is back once it has put the pointer
    // in the middle of its window again.
    void close_game() {
        point_at(700, 100);
        rx::test::send_delete_window(display, emulator_);
        EXPECT_TRUE(wait_until(
            [&] {
                return rx::test::find_window(display, DefaultRootWindow(display),
                                             rx::test::title_is(GetParam().game_id)) == 0;
            },
            15000))
            << "the game window stayed";
        emulator_ = 0;
        EXPECT_TRUE(wait_until(
            [&] { return rx::test::pointer_in(display, window) == std::make_pair(400, 300); },
            30000))
            << "the browser did not come back";
    }

    Window emulator_ = 0;
    std::string registry_file_;
};

TEST_P(play_e2e, captured_key_moves_the_square_and_the_save_comes_back) {
    const console_case& c = GetParam();
    start_relicade();
    log_in();
    if (HasFatalFailure()) return;

    // The console's list, its Controls button, Right captured and saved.
    click_at(c.menu_x, c.menu_y);
    ASSERT_TRUE(logged(std::string("system=") + c.system_code + "&criteria=^[a-b]&end=1"));
    ASSERT_TRUE(click_to_new_screen(565, 25));
    click_at(box_x, c.right_box_y);
    input(std::string("key ") + c.key);
    click_at(c.save_x, c.save_y);
    // The save runs on the event after the click; a small pointer move is one.
    point_at(c.save_x + 3, c.save_y + 5);
    ASSERT_TRUE(wait_until([&] { return saved_right(c) == c.key_code; }, 10000))
        << "Right was not saved as " << c.key;

    // Back to the list, the Q-R titles, Play on the test game's row.
    ASSERT_TRUE(click_to_new_screen(565, 25));
    click_at(q_r_filter_x, q_r_filter_y);
    ASSERT_TRUE(logged(std::string("system=") + c.system_code + "&criteria=^[q-r]&end=1"));
    const int row = game_row(c);
    ASSERT_GE(row, 0) << c.game_id << " is not in the list";
    game_view first = play(c, row);
    ASSERT_NE(emulator_, 0u);
    ASSERT_EQ(first.counter, 1) << "a fresh cartridge counts its first start";
    // One solid square (game pixels need not be square in the window).
    EXPECT_EQ(first.square.count, first.square.width() * first.square.height());
    EXPECT_NEAR(first.square.width(), 8 * first.scale, 1);

    // The captured key, held, moves the square right and only right.
    input("mousemove --window " + std::to_string(emulator_) + " 780 580");
    input("windowfocus --sync " + std::to_string(emulator_));
    input(std::string("keydown ") + c.key);
    game_view moved;
    const bool went = wait_until(
        [&] {
            moved = read_game(capture_window(display, emulator_), c.colours);
            return moved.square.count > 0 &&
                   moved.square.left >= first.square.left + 16 * first.scale;
        },
        20000);
    input(std::string("keyup ") + c.key);
    EXPECT_TRUE(went) << "the square stayed at " << first.square.left << " (now "
                      << moved.square.left << ")";
    EXPECT_EQ(moved.square.top, first.square.top);
    EXPECT_EQ(moved.counter, 1);

    close_game();
    std::string save;
    EXPECT_TRUE(wait_until([&] { return saved_count(save = service_save(c), c) == 1; }, 15000))
        << "the service holds no save with the first start (" << save.size() << " bytes)";
    // The next game takes its save from the service, not from the copy beside the emulator.
    fs::remove(folder / (std::string(c.game_id) + ".sav"));

    game_view second = play(c, row);
    ASSERT_NE(emulator_, 0u);
    EXPECT_EQ(second.counter, 2) << "the start count did not come back from the save";
    close_game();
    EXPECT_TRUE(wait_until([&] { return saved_count(save = service_save(c), c) == 2; }, 15000))
        << "the service holds no save with the second start";

    close_window();
    EXPECT_EQ(wait_relicade_exit(15000), 0);
    EXPECT_EQ(read_file(folder / "error_log.txt"), "");
    const std::string retro_log = read_file(folder / "rx_retro_log.txt");
    EXPECT_EQ(retro_log.find("it is not used"), std::string::npos) << retro_log;
}

INSTANTIATE_TEST_SUITE_P(consoles, play_e2e, ::testing::ValuesIn(consoles),
                         [](const ::testing::TestParamInfo<console_case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
