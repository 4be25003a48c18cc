// The core loader against the test core: the game from memory, the environment's answers, save
// memory, frames and sound, and the four settings formats reaching the core as pad buttons.
#include "retro/logic/libretro_core.h"

#include <SDL_keysym.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <numeric>

#include "emulators/gens_settings.h"
#include "emulators/meka_settings.h"
#include "emulators/nester_settings.h"
#include "emulators/ootake_settings.h"
#include "emulators/vba_settings.h"
#include "emulators/zsnes_settings.h"
#include "fake_core.h"
#include "files.h"
#include "platform/dynamic_library.h"
#include "platform/registry.h"
#include "retro/logic/bindings.h"
#include "retro/logic/picture.h"
#include "retro/logic/shipped_settings.h"
#include "tests/emulators/codec_fixtures.h"

namespace {

using namespace rx::retro;

struct loaded_core {
    std::unique_ptr<core> game;
    std::unique_ptr<rx::platform::dynamic_library> peek;  // the same library, to read its report
    std::vector<std::string> log;
    const fake_core_report* report = nullptr;
};

// Opens a test core; the log lines land in `into.log`.
void open_core(loaded_core& into, const char* library) {
    core_settings settings;
    settings.system_folder = "/system/folder";
    settings.save_folder = "/save/folder";
    settings.game_label = "Test Game";
    settings.log = [&into](const std::string& line) { into.log.push_back(line); };
    std::string error;
    into.game = core::open(library, settings, error);
    ASSERT_TRUE(into.game) << error;
    into.peek = rx::platform::dynamic_library::open(library, error);
    ASSERT_TRUE(into.peek) << error;
    auto report_of =
        reinterpret_cast<const fake_core_report* (*)()>(into.peek->symbol("fake_core_report_of"));
    ASSERT_TRUE(report_of);
    into.report = report_of();
}

std::vector<unsigned char> image(std::size_t size, unsigned char first = 'G') {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    bytes[0] = first;
    return bytes;
}

std::uint32_t sum(const std::vector<unsigned char>& bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), std::uint32_t{0});
}

TEST(RetroCore, TheImageReachesACoreAsDataInPlace) {
    loaded_core c;
    open_core(c, RX_FAKE_CORE);
    const auto game = image(100000);
    std::string error;
    ASSERT_TRUE(c.game->load_game(game.data(), game.size(), error)) << error;
    EXPECT_FALSE(c.game->needs_path());
    // The very bytes rxlib lends, not a copy, and no path at all.
    EXPECT_EQ(c.report->game_data, game.data());
    EXPECT_EQ(c.report->game_size, game.size());
    EXPECT_STREQ(c.report->game_path, "");
    EXPECT_EQ(c.report->game_checksum, sum(game));
}

TEST(RetroCore, ACoreThatNeedsAPathGetsAnInMemoryFile) {
    loaded_core c;
    open_core(c, RX_FAKE_CORE_PATH);
    const auto game = image(70001);
    std::string error;
    ASSERT_TRUE(c.game->load_game(game.data(), game.size(), error)) << error;
    EXPECT_TRUE(c.game->needs_path());
    EXPECT_EQ(c.report->game_data, nullptr);
    EXPECT_EQ(std::string(c.report->game_path).rfind("/proc/self/fd/", 0), 0u)
        << c.report->game_path;
    // The descriptor leads to an anonymous memory file, never to a file in a folder.
    EXPECT_EQ(std::string(c.report->path_target).rfind("/memfd:", 0), 0u) << c.report->path_target;
    EXPECT_EQ(c.report->game_checksum, sum(game));
    EXPECT_TRUE(std::equal(game.begin(), game.begin() + 64, c.report->game_bytes));
}

TEST(RetroCore, ARefusedGameAndAMissingOrForeignLibraryAreErrors) {
    {
        loaded_core c;
        open_core(c, RX_FAKE_CORE);
        const auto game = image(64, 'R');
        std::string error;
        EXPECT_FALSE(c.game->load_game(game.data(), game.size(), error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(c.game->game_loaded());
    }
    core_settings settings;
    std::string error;
    EXPECT_FALSE(core::open("/nonexistent/core_libretro.so", settings, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    // A shared library that is no core.
    EXPECT_FALSE(core::open(RX_NOT_A_CORE, settings, error));
    EXPECT_NE(error.find("retro_"), std::string::npos) << error;
}

TEST(RetroCore, OnlyOneCoreRunsAtATime) {
    loaded_core c;
    open_core(c, RX_FAKE_CORE);
    core_settings settings;
    std::string error;
    EXPECT_FALSE(core::open(RX_FAKE_CORE_PATH, settings, error));
    EXPECT_FALSE(error.empty());
}

TEST(RetroCore, TheEnvironmentAnswersLikeACarefulFrontend) {
    loaded_core c;
    open_core(c, RX_FAKE_CORE);
    const auto game = image(16);
    std::string error;
    ASSERT_TRUE(c.game->load_game(game.data(), game.size(), error)) << error;
    const fake_core_report& r = *c.report;
    EXPECT_TRUE(r.can_dupe);
    EXPECT_TRUE(r.pixel_format_taken);
    EXPECT_STREQ(r.system_folder, "/system/folder");
    EXPECT_STREQ(r.save_folder, "/save/folder");
    EXPECT_TRUE(r.log_interface);
    // Variables hold their declared defaults: the first choice, or the option's default.
    EXPECT_STREQ(r.speed_variable, "normal");
    EXPECT_STREQ(r.colour_variable, "colour");
    EXPECT_EQ(c.game->variable("fake_colour"), "colour");
    // Warnings are kept, chatter is not; the refused request is logged once.
    ASSERT_EQ(c.log.size(), 2u);
    EXPECT_EQ(c.log[0], "fake core warning 7");
    EXPECT_NE(c.log[1].find("request 23"), std::string::npos) << c.log[1];
    EXPECT_EQ(c.game->refused_requests().count(23u), 1u);
    EXPECT_NEAR(c.game->frames_per_second(), 60.0988, 1e-9);
    EXPECT_EQ(c.game->sample_rate(), 32768);
    EXPECT_DOUBLE_EQ(c.game->aspect_ratio(), 2.0);
}

TEST(RetroCore, FramesSoundAndRepeatedFrames) {
    loaded_core c;
    open_core(c, RX_FAKE_CORE);
    const auto game = image(16);
    std::string error;
    ASSERT_TRUE(c.game->load_game(game.data(), game.size(), error)) << error;
    for (int i = 0; i < 4; ++i) c.game->run_frame();
    // Frames 2 and 4 asked to repeat the one before.
    EXPECT_EQ(c.game->frames_drawn(), 2u);
    const frame_view& f = c.game->frame();
    ASSERT_TRUE(f.data);
    EXPECT_EQ(f.format, pixel_format::xrgb8888);
    EXPECT_EQ(f.width, 4u);
    EXPECT_EQ(f.height, 2u);
    std::vector<std::uint32_t> out(8, 0xDEADBEEF);
    picture_scaler scaler;
    scaler.draw(f, out.data(), 4 * sizeof(std::uint32_t), rect{0, 0, 4, 2});
    EXPECT_EQ(out, (std::vector<std::uint32_t>{0xFF0000, 0xFF00, 0xFF, 0xFFFFFF, 0, 0x808080,
                                               0x123456, 0xABCDEF}));
    std::vector<std::int16_t> sound;
    c.game->take_audio(sound);
    EXPECT_EQ(sound.size(), 4u * 6);
    EXPECT_EQ(sound[4], 3);
    sound.clear();
    c.game->take_audio(sound);
    EXPECT_TRUE(sound.empty());
}

TEST(RetroCore, SaveMemoryInAndOutALargerSaveIgnoredAShorterOneErasedAfter) {
    loaded_core c;
    open_core(c, RX_FAKE_CORE);
    const auto game = image(16);
    std::string error;
    ASSERT_TRUE(c.game->load_game(game.data(), game.size(), error)) << error;
    ASSERT_EQ(c.game->save_size(), fake_core_save_size);
    std::vector<unsigned char> save(fake_core_save_size);
    for (std::size_t i = 0; i < save.size(); ++i) save[i] = static_cast<unsigned char>(i ^ 0x5A);
    EXPECT_TRUE(c.game->write_save(save.data(), save.size()));
    EXPECT_TRUE(std::equal(save.begin(), save.end(), c.report->save_ram));
    EXPECT_EQ(c.game->read_save(), save);

    std::vector<unsigned char> wrong(fake_core_save_size + 1, 0xEE);
    EXPECT_FALSE(c.game->write_save(wrong.data(), wrong.size()));
    EXPECT_FALSE(c.game->write_save(wrong.data(), 0));
    EXPECT_EQ(c.game->read_save(), save);

    // A save kept while the core offered less memory than now (mGBA before the game's first
    // write): its bytes first, the rest erased.
    const std::vector<unsigned char> shorter(save.begin(), save.begin() + 100);
    EXPECT_TRUE(c.game->write_save(shorter.data(), shorter.size()));
    std::vector<unsigned char> expected = shorter;
    expected.resize(fake_core_save_size, 0xFF);
    EXPECT_EQ(c.game->read_save(), expected);
    ASSERT_TRUE(c.game->write_save(save.data(), save.size()));

    // What the game writes while it runs comes out.
    c.game->run_frame();
    EXPECT_EQ(c.game->read_save()[0], 1);
}

// Bindings of every format, pressed through the reader, as the core reads them.
class RetroPads : public testing::Test {
  protected:
    void SetUp() override {
        open_core(c, RX_FAKE_CORE);
        const auto game = image(16);
        std::string error;
        ASSERT_TRUE(c.game->load_game(game.data(), game.size(), error)) << error;
    }

    // The masks the core read with `pressed_keys`, joystick 1's button 3, joystick 2's axis 1
    // pushed up and its hat down.
    std::array<std::uint16_t, 2> play(const std::vector<pad_binding>& bindings,
                                      std::vector<int> pressed_keys) {
        input_reader reader;
        reader.key = [&](int sym) {
            return std::find(pressed_keys.begin(), pressed_keys.end(), sym) != pressed_keys.end();
        };
        reader.button = [](int j, int b) { return j == 0 && b == 3; };
        reader.axis = [](int j, int a) { return j == 1 && a == 1 ? -32768 : 0; };
        reader.hat = [](int j) { return j == 1 ? hat_down : 0u; };
        pad_state pads = read_pads(bindings, reader);
        for (unsigned port = 0; port < core::port_count; ++port) {
            c.game->set_buttons(port, pads.mask[port]);
        }
        c.game->run_frame();
        return {c.report->pad[0], c.report->pad[1]};
    }

    loaded_core c;
};

std::uint16_t bits(std::initializer_list<pad_button> buttons) {
    std::uint16_t mask = 0;
    for (pad_button b : buttons) mask |= pad_bit(b);
    return mask;
}

TEST_F(RetroPads, VisualBoyAdvanceSettings) {
    // Up on Left Ctrl, A on joystick 1 button 3, Start on keypad Enter's code, B on a code
    // without a name.
    std::vector<std::string> lines(100, "Other=1\r\n");
    const auto& rows = rx::vba::rows();
    const std::array<std::string, rx::vba::row_count> values = {
        "29",
        "208",
        "203",
        "205",
        "54",
        "156",
        std::to_string(*rx::vba::value_of(rx::input::button(1, 3))),
        "55",
        "16",
        "17"};
    for (int r = 0; r < rx::vba::row_count; ++r) {
        lines[rows[r].line] = std::string(rows[r].key) + values[r] + "\r\n";
    }
    std::string text;
    for (const auto& l : lines) text += l;
    auto bindings = vba_bindings(text);
    EXPECT_EQ(play(bindings, {SDLK_LCTRL, SDLK_RETURN})[0], bits({pad_up, pad_a, pad_start}));
    EXPECT_EQ(play(bindings, {SDLK_KP_ENTER, SDLK_UP})[0], bits({pad_start, pad_a}));
    // Code 55 has no key name: logged once, left unbound.
    auto lines_logged = unplayable_bindings(bindings, "Gameboy");
    ASSERT_EQ(lines_logged.size(), 1u);
    EXPECT_NE(lines_logged[0].find("\"55\""), std::string::npos) << lines_logged[0];
    EXPECT_NE(lines_logged[0].find(" B:"), std::string::npos) << lines_logged[0];
}

TEST_F(RetroPads, ZsnesSettingsForBothPlayers) {
    auto lines = rx::test::zsnes_lines();
    // The fixture's second player: Up on 259 and Down on 258, which are joystick inputs.
    std::string text;
    for (const auto& l : lines) text += l;
    std::vector<rx::binding> records(rx::zsnes::binding_count);
    ASSERT_TRUE(rx::zsnes::load(text, records).ok);
    auto bindings = zsnes_bindings(text);
    // Player 1: Start on Enter (28), Y on "D" (32), L on "A" (30).
    auto pads = play(bindings, {SDLK_RETURN, SDLK_d, SDLK_a});
    EXPECT_EQ(pads[0], bits({pad_start, pad_y, pad_l}));
    // Player 2's pad reads what its records name through the same reader.
    std::uint16_t expected = 0;
    input_reader reader;
    reader.button = [](int j, int b) { return j == 0 && b == 3; };
    reader.axis = [](int j, int a) { return j == 1 && a == 1 ? -32768 : 0; };
    reader.hat = [](int j) { return j == 1 ? hat_down : 0u; };
    for (int i = rx::zsnes::button_count; i < rx::zsnes::binding_count; ++i) {
        auto source = source_of(records[static_cast<std::size_t>(i)].id);
        if (!source) continue;
        pad_binding one;
        one.port = 1;
        one.button = bindings[static_cast<std::size_t>(i)].button;
        one.source = source;
        expected |= read_pads({one}, reader).mask[1];
    }
    EXPECT_EQ(pads[1], expected);
    EXPECT_EQ(bindings[rx::zsnes::button_count].button, pad_up);
}

TEST_F(RetroPads, OotakeSettingsWithJoystickInputs) {
    std::string bytes(600, '\0');
    bytes.replace(10, rx::ootake::marker.size(), rx::ootake::marker);
    auto put = [&](int player, int button, std::uint16_t code) {
        std::size_t at = 10 + rx::ootake::block_offsets[static_cast<std::size_t>(player)] +
                         2 * static_cast<std::size_t>(
                                 rx::ootake::entry_of_button[static_cast<std::size_t>(button)]);
        bytes[at] = static_cast<char>(code & 0xFF);
        bytes[at + 1] = static_cast<char>(code >> 8);
    };
    // Player 1: Up on Left Ctrl, Run on Enter, I on joystick 1 button 3. Player 2: Up on
    // joystick 2's axis 1 pushed up, Down on its hat down, II on Left Ctrl.
    put(0, 0, 29);
    put(0, 5, 28);
    put(0, 6, *rx::ootake::code_of(rx::input::button(1, 3)));
    put(1, 0, *rx::ootake::code_of(rx::input::axis(2, 1, false)));
    put(1, 1, *rx::ootake::code_of(rx::input::pov(2, rx::hat_direction::down)));
    put(1, 7, 29);
    auto pads = play(ootake_bindings(bytes), {SDLK_LCTRL});
    EXPECT_EQ(pads[0], bits({pad_up, pad_a}));
    EXPECT_EQ(pads[1], bits({pad_up, pad_down, pad_b}));
}

// Gens' rows reach the Sega core as it reads a Genesis pad: A, B, C on the pad's B, A, R and X, Y,
// Z on Y, X, L; player 2's joystick values on the second port.
TEST_F(RetroPads, GensSettingsWithBothPads) {
    const auto bindings = gens_bindings(rx::join_lines(rx::test::gens_lines()));
    auto pads =
        play(bindings, {SDLK_a, SDLK_s, SDLK_d, SDLK_q, SDLK_w, SDLK_e, SDLK_RETURN, SDLK_LEFT});
    EXPECT_EQ(pads[0], bits({pad_b, pad_a, pad_r, pad_y, pad_x, pad_l, pad_start, pad_left}));
    // Player 2: Z on joystick 1 button 3, X on joystick 2's hat down.
    EXPECT_EQ(pads[1], bits({pad_l, pad_y}));
}

// MEKA's keyboard lines keep their carriage return in the name; the key is found all the same.
// Buttons 1 and 2 are the pad's A and R, Start/Pause its Start.
TEST_F(RetroPads, MekaSettingsWithKeyboardsAndJoysticks) {
    const auto bindings = meka_bindings(rx::join_lines(rx::test::meka_lines()));
    auto pads = play(bindings, {SDLK_LCTRL, SDLK_LALT, SDLK_RETURN, SDLK_SPACE, SDLK_KP8});
    EXPECT_EQ(pads[0], bits({pad_a, pad_r, pad_start}));
    // Player 2: Space is Start, keypad 8 Up, joystick 2's hat down its Down.
    EXPECT_EQ(pads[1], bits({pad_start, pad_up, pad_down}));
    EXPECT_TRUE(unplayable_bindings(bindings, "Master System").empty());
    // A file without its sections plays the defaults, as a missing one does.
    auto fallback = play(meka_bindings("no sections here"), {SDLK_UP, SDLK_z, SDLK_w});
    EXPECT_EQ(fallback[0], bits({pad_up, pad_a, pad_r}));
}

TEST_F(RetroPads, NesterRegistryKeysAndItsDefaults) {
    rx::test::temp_dir dir;
    setenv("RELICADE_REGISTRY_FILE", dir.file("registry").c_str(), 1);
    rx::platform::registry& store = rx::platform::user_registry();
    const std::string keyboard = "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
    // Controller 1's A on joystick 1 button 3; every other button has no key yet.
    rx::nester::key_record a;
    a.device_number = 0;
    a.device_type = 2;
    a.offset = 48 + 3;
    ASSERT_TRUE(store.write_values(rx::nester::key_path(0, 6), rx::nester::record_values(a)));
    auto bindings = nester_bindings(store, keyboard);
    // Defaults: Right Shift is Select, Z is A (now the joystick's), X is B, R is controller 2's
    // Up.
    auto pads = play(bindings, {SDLK_RSHIFT, SDLK_z, SDLK_x, SDLK_r});
    EXPECT_EQ(pads[0], bits({pad_select, pad_a, pad_b}));
    EXPECT_EQ(pads[1], bits({pad_up}));
    // Reading plays nothing back into the registry.
    EXPECT_FALSE(store.key_exists(rx::nester::key_path(0, 0)));
    unsetenv("RELICADE_REGISTRY_FILE");
}

TEST_F(RetroPads, MissingSettingsPlayTheDefaults) {
    for (const auto& bindings : {vba_bindings(std::nullopt), zsnes_bindings(std::nullopt),
                                 ootake_bindings(std::nullopt), vba_bindings("broken")}) {
        auto pads = play(bindings, {SDLK_UP, SDLK_z, SDLK_KP_ENTER, SDLK_RSHIFT});
        EXPECT_EQ(pads[0], bits({pad_up, pad_a, pad_start, pad_select}));
        EXPECT_EQ(pads[1], 0);
        EXPECT_TRUE(unplayable_bindings(bindings, "Any").empty());
    }
}

// The shipped files, read back through each codec and rx_retro, are the keys rx_retro plays
// without them: the same names leading to the same inputs, nothing logged, and the second pad's
// zeros (an empty box as the screens save it) playing no key, not even the one named "0".
TEST_F(RetroPads, ShippedSettingsPlayExactlyTheFallbackKeys) {
    using bindings_of = std::vector<pad_binding> (*)(std::optional<std::string_view>);
    const std::string vba = shipped_vba_ini(), zsnes = shipped_zinput_cfg(),
                      ootake = shipped_ootake_dat(), gens = shipped_gens_cfg(),
                      meka = shipped_meka_inp();
    ASSERT_TRUE(rx::vba::parse(vba).complete);
    std::vector<rx::binding> records;
    ASSERT_TRUE(rx::zsnes::load(zsnes, records).ok);
    ASSERT_TRUE(rx::ootake::load(ootake, records));
    ASSERT_TRUE(rx::gens::load(gens, records).ok);
    ASSERT_EQ(rx::meka::load(meka, records).status, rx::meka::load_status::loaded);
    // What Right, X, Return, W and 0 press on each console's first pad: the PC Engine has no R, the
    // Master System pad no B.
    const std::uint16_t right_start = bits({pad_right, pad_start});
    const struct {
        const std::string* bytes;
        bindings_of bindings;
        std::uint16_t pressed;
    } files[] = {
        {&vba, vba_bindings, std::uint16_t(right_start | bits({pad_b, pad_r}))},
        {&zsnes, zsnes_bindings, std::uint16_t(right_start | bits({pad_b, pad_r}))},
        {&ootake, ootake_bindings, std::uint16_t(right_start | bits({pad_b}))},
        {&gens, gens_bindings, std::uint16_t(right_start | bits({pad_b, pad_r}))},
        {&meka, meka_bindings, std::uint16_t(right_start | bits({pad_r}))},
    };
    for (const auto& [bytes, bindings, pressed] : files) {
        const auto shipped = bindings(*bytes);
        const auto fallback = bindings(std::nullopt);
        ASSERT_EQ(shipped.size(), fallback.size());
        for (std::size_t i = 0; i < shipped.size(); ++i) {
            EXPECT_EQ(shipped[i].port, fallback[i].port) << i;
            EXPECT_EQ(shipped[i].button, fallback[i].button) << i;
            EXPECT_EQ(shipped[i].id, fallback[i].id) << i;
            ASSERT_EQ(shipped[i].source.has_value(), fallback[i].source.has_value()) << i;
            if (shipped[i].source) {
                EXPECT_EQ(shipped[i].source->key_syms, fallback[i].source->key_syms) << i;
            }
        }
        EXPECT_TRUE(unplayable_bindings(shipped, "Any").empty());
        auto pads = play(shipped, {SDLK_RIGHT, SDLK_x, SDLK_RETURN, SDLK_w, SDLK_0});
        EXPECT_EQ(pads[0], pressed);
        EXPECT_EQ(pads[1], 0);
    }
}

TEST(RetroShippedSettings, OnlyMissingFilesAreLaid) {
    rx::test::temp_dir dir;
    ASSERT_TRUE(rx::test::write_file(dir.file("zinput.cfg"), "the user's keys"));
    EXPECT_TRUE(ship_settings(dir.path() + "/").empty());
    EXPECT_EQ(rx::test::read_file(dir.file("zinput.cfg")), "the user's keys");
    EXPECT_EQ(rx::test::read_file(dir.file("vba.ini")), shipped_vba_ini());
    EXPECT_EQ(rx::test::read_file(dir.file("ootake.dat")), shipped_ootake_dat());
    // A folder that is not there takes nothing, and says so for each file.
    EXPECT_EQ(rx::test::read_file(dir.file("meka.inp")), shipped_meka_inp());
    EXPECT_EQ(ship_settings(dir.file("gone") + "/").size(), shipped_settings().size());
}

}  // namespace
