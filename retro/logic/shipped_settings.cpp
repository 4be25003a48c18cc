// The shipped settings files: rx_retro's own fallback keys, written as each controls screen saves.
#include "retro/logic/shipped_settings.h"

#include <algorithm>
#include <array>
#include <optional>

#include "emulators/binding_codec.h"
#include "emulators/gens_settings.h"
#include "emulators/meka_settings.h"
#include "emulators/ootake_settings.h"
#include "emulators/profiles.h"
#include "emulators/settings_lines.h"
#include "emulators/vba_settings.h"
#include "emulators/zsnes_settings.h"
#include "platform/file.h"
#include "retro/logic/bindings.h"

namespace rx::retro {

namespace {

// Room for the settings an emulator keeps around its blocks; only the blocks are ever read.
constexpr std::size_t ootake_file_size = 512;
constexpr std::size_t zsnes_block_lines = 14;  // "plNcontrl" and the thirteen lines after it
constexpr int gens_section_lines = 66;         // "[Input]" and the lines up to player 2's Z
constexpr int gens_mode_offsets[] = {10, 62};
constexpr std::size_t meka_lines = 112;  // past the last joystick line and the "[Mouse 1]" after it

// The records as the controls screens hold them, from the bindings rx_retro plays.
std::vector<binding> records_of(const std::vector<pad_binding>& keys) {
    std::vector<binding> records(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        records[i].id = keys[i].id;
        records[i].captured = true;
    }
    return records;
}

}  // namespace

std::string shipped_vba_ini() {
    // The screen rewrites its lines by position, so the file reaches the last of them.
    std::size_t line_count = 0;
    for (const vba::row& r : vba::rows()) line_count = std::max(line_count, r.line + 1);
    const std::vector<std::string> blank(line_count, "\r\n");
    const std::vector<binding> records = records_of(vba_bindings(std::nullopt));
    std::array<std::string, vba::row_count> values;
    for (std::size_t r = 0; r < values.size(); ++r) values[r] = vba::saved_value(records[r]);
    return *vba::rewrite(join_lines(blank), values);
}

std::string shipped_zinput_cfg() {
    // Each player's block as the screen finds it: the switch line, one line it leaves alone, then
    // the twelve keys at their offsets.
    std::vector<std::string> lines;
    for (int player = 0; player < 2; ++player) {
        std::vector<std::string> block(zsnes_block_lines, "\r\n");
        block[0] = "pl" + std::to_string(player + 1) + "contrl=1\r\n";
        for (int b = 0; b < zsnes::button_count; ++b) {
            const int record = player * zsnes::button_count + b;
            block[static_cast<std::size_t>(zsnes::offset_of(record))] =
                zsnes::key_of(record) + "=0\r\n";
        }
        lines.insert(lines.end(), block.begin(), block.end());
    }
    return zsnes::save(join_lines(lines), records_of(zsnes_bindings(std::nullopt))).bytes;
}

std::string shipped_ootake_dat() {
    std::string blank(ootake_file_size, '\0');
    blank.replace(0, ootake::marker.size(), ootake::marker);
    return *ootake::save(blank, records_of(ootake_bindings(std::nullopt)));
}

std::string shipped_gens_cfg() {
    // The section with every binding line in place, the two Mode lines between C and X, and the
    // four lines nobody reads around them.
    std::vector<std::string> lines(static_cast<std::size_t>(gens_section_lines), "\r\n");
    lines[0] = "[Input]\r\n";
    lines[1] = "P1.Type=0\r\n";
    lines[53] = "P2.Type=0\r\n";
    for (int player = 0; player < 2; ++player)
        lines[static_cast<std::size_t>(gens_mode_offsets[player])] =
            "P" + std::to_string(player + 1) + ".Mode=0\r\n";
    for (int record = 0; record < gens::binding_count; ++record)
        lines[static_cast<std::size_t>(gens::offset_of(record))] = gens::key_of(record) + "0\r\n";
    return gens::save(join_lines(lines), records_of(gens_bindings(std::nullopt))).bytes;
}

std::string shipped_meka_inp() {
    std::vector<std::string> lines(meka_lines, "\r\n");
    lines[0] = "; MEKA input settings\r\n";
    // In record order: player 1 keyboard and joystick, then player 2.
    const char* headers[] = {"[Keyboard 1]", "[Joypad 1]", "[Keyboard 2]", "[Joypad 2]"};
    for (int block = 0; block < 4; ++block) {
        const int first = meka::line_of(block * meka::control_count);
        const bool joystick = meka::is_joystick_record(block * meka::control_count);
        lines[static_cast<std::size_t>(first - 2)] = std::string(headers[block]) + "\r\n";
        lines[static_cast<std::size_t>(first - 1)] =
            joystick ? "player_type = joypad\r\n" : "player_type = keyboard\r\n";
        for (int c = 0; c < meka::control_count; ++c) {
            lines[static_cast<std::size_t>(first + c)] =
                std::string(meka::key_of(c)) + (joystick ? " =\r\n" : " = key none\r\n");
        }
    }
    lines[meka_lines - 1] = "[Mouse 1]\r\n";
    return meka::save(join_lines(lines), records_of(meka_bindings(std::nullopt))).bytes;
}

std::vector<shipped_file> shipped_settings() {
    return {{profile_named("vba")->settings_file, shipped_vba_ini()},
            {profile_named("zsnes")->settings_file, shipped_zinput_cfg()},
            {profile_named("ootake")->settings_file, shipped_ootake_dat()},
            {profile_named("gens")->settings_file, shipped_gens_cfg()},
            {profile_named("meka")->settings_file, shipped_meka_inp()}};
}

std::vector<std::string> ship_settings(const std::string& folder) {
    std::vector<std::string> failures;
    for (const shipped_file& file : shipped_settings()) {
        const std::string path = folder + std::string(file.name);
        std::string existing;
        // Whatever stands there is the user's (or unreadable): only a missing file is laid down.
        // No byte of it is needed, so nothing is read.
        if (platform::read_whole_file(path, existing, 0) != platform::read_status::missing)
            continue;
        const std::string error = platform::replace_file(path, file.bytes);
        if (!error.empty()) failures.push_back(path + ": " + error);
    }
    return failures;
}

}  // namespace rx::retro
