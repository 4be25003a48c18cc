// Settings files for the VisualBoyAdvance, Gens, MEKA and ZSNES tests, laid out as the emulators
// keep them.
#pragma once
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "emulators/binding_codec.h"
#include "emulators/settings_lines.h"

namespace rx::test {

// What a capture box does to a record.
inline void capture(binding& record, const input& captured) {
    record.id = captured;
    record.captured = true;
}

// Pads `lines` with "pad_N=..." lines until the text passes `size` bytes, and ends it with a last
// line that has no line feed.
inline std::string padded(std::vector<std::string> lines, std::size_t size,
                          const std::string& eol = "\r\n") {
    std::string text = join_lines(lines);
    for (int n = 0; text.size() <= size; ++n)
        text += "pad_" + std::to_string(n) + "=some setting the screens never touch" + eol;
    return text + "last=no line feed";
}

// A vba.ini as the emulator ships it, roughly: 110 lines, mostly CR LF, one bare LF line, a last
// line without a line feed, and the first pad's ten keys at their fixed lines with `values`
// (Left, Right, Up, Down, A, B, L, R, Start, Select).
inline std::string vba_ini(const std::vector<std::string>& values) {
    const std::pair<int, const char*> keys[] = {
        {81, "Joy0_Left="},  {82, "Joy0_Right="}, {83, "Joy0_Up="}, {87, "Joy0_Down="},
        {88, "Joy0_A="},     {89, "Joy0_B="},     {90, "Joy0_L="},  {91, "Joy0_R="},
        {92, "Joy0_Start="}, {93, "Joy0_Select="}};
    std::string text = "[preferences]\r\n";
    for (int i = 1; i < 110; ++i) {
        std::string line = "option" + std::to_string(i) + "=" + std::to_string(i * 3) + "\r\n";
        if (i == 40) line = "bareLineFeed=1\n";
        if (i == 109) line = "lastLine=no line feed";
        for (std::size_t k = 0; k < 10; ++k) {
            if (keys[k].first == i) line = std::string(keys[k].second) + values[k] + "\r\n";
        }
        text += line;
    }
    return text;
}

// gens.cfg: an "[Input]" section at line `base` (a decoy "[Input]" earlier when `decoy`), player 1
// keys, player 2 joystick values, other settings around them.
inline std::vector<std::string> gens_lines(std::size_t base = 30, bool decoy = false) {
    std::vector<std::string> lines;
    lines.push_back("[General]\r\n");
    while (lines.size() < base) {
        if (decoy && lines.size() == 5)
            lines.push_back("[Input]\r\n");
        else
            lines.push_back("Option" + std::to_string(lines.size()) + "=1\r\n");
    }
    lines.push_back("[Input]\r\n");
    lines.push_back("P1.Type=0\r\n");
    const std::vector<std::string> p1{"Up=200",   "Down=208", "Left=203", "Right=205",
                                      "Start=28", "A=30",     "B=31",     "C=32",
                                      "Mode=0",   "X=16",     "Y=17",     "Z=18"};
    for (const auto& entry : p1) lines.push_back("P1." + entry + "\r\n");
    while (lines.size() < base + 53)
        lines.push_back("P1B.Key" + std::to_string(lines.size()) + "=0\r\n");
    lines.push_back("P2.Type=0\r\n");
    const std::vector<std::string> p2{"Up=4097",    "Down=4098", "Left=4099", "Right=4100",
                                      "Start=4113", "A=4114",    "B=4481",    "C=4482",
                                      "Mode=0",     "X=4483",    "Y=4484",    "Z=4115"};
    for (const auto& entry : p2) lines.push_back("P2." + entry + "\r\n");
    lines.push_back("[Sound]\r\n");
    return lines;
}

// meka.inp: "[Keyboard 1]" at line 61, the other sections 13 lines apart, keyboard lines in CR LF,
// joystick lines in LF; "[Mouse 1]" before the keyboards, after the joypads or (to break it)
// inside "[Keyboard 1]".
enum class mouse_at { before, after, inside };
inline std::vector<std::string> meka_lines(mouse_at mouse = mouse_at::after) {
    const std::vector<std::string> keys{"player_up",         "player_down",    "player_left",
                                        "player_right",      "player_button1", "player_button2",
                                        "player_start_pause"};
    std::vector<std::string> lines;
    lines.push_back(";-----------------------------------------------------------------------\r\n");
    if (mouse == mouse_at::before) {
        lines.push_back("[Mouse 1]\r\n");
        lines.push_back("player_button1 = mouse_button 1\r\n");
    }
    while (lines.size() < 61)
        lines.push_back("; comment line " + std::to_string(lines.size()) + "\r\n");
    const std::vector<std::vector<std::string>> keyboards{
        {"Up", "Down", "Left", "Right", "Left Ctrl", "Left Alt", "Enter"},
        {"8 (Pad)", "2 (Pad)", "4 (Pad)", "6 (Pad)", "Right Ctrl", "Right Shift", "Space"}};
    const std::vector<std::vector<std::string>> joypads{
        {"joy stick 0 axis 1 dir 0", "joy stick 2 axis 1 dir 1", "joy stick 0 axis 0 dir 0",
         "joy stick 0 axis 0 dir 1", "joy_button 0", "joy_button 1", "joy_button 9"},
        {"joy stick 2 axis 1 dir 0", "joy stick 2 axis 1 dir 1", "joy stick 2 axis 0 dir 0",
         "joy stick 2 axis 0 dir 1", "joy_button 2", "joy_button 3", "joy_button 11"}};
    for (int section = 0; section < 4; ++section) {
        const bool joypad = section >= 2;
        const int player = section % 2;
        lines.push_back(std::string(joypad ? "[Joypad " : "[Keyboard ") +
                        std::to_string(player + 1) + "]\r\n");
        lines.push_back(joypad ? "player_type = joypad\n" : "player_type = keyboard\r\n");
        for (std::size_t c = 0; c < keys.size(); ++c) {
            if (joypad)
                lines.push_back(keys[c] + " = " + joypads[static_cast<std::size_t>(player)][c] +
                                "\n");
            else
                lines.push_back(keys[c] + " = key " +
                                keyboards[static_cast<std::size_t>(player)][c] + "\r\n");
        }
        while (lines.size() % 13 != 61 % 13) lines.push_back("\r\n");
    }
    // In place of a blank line of "[Keyboard 1]", so that every binding keeps its line.
    if (mouse == mouse_at::inside) lines[71] = "[Mouse 1]\r\n";
    if (mouse == mouse_at::after) {
        lines.push_back("[Mouse 1]\r\n");
        lines.push_back("player_button1 = mouse_button 1\r\n");
    }
    return lines;
}

// zinput.cfg: "pl1contrl" at line 20 and "pl2contrl" at line 40, each followed by a line the
// screen leaves alone and the twelve keys in the file's order.
inline std::vector<std::string> zsnes_lines(const std::string& contrl1 = "pl1contrl=0") {
    std::vector<std::string> lines;
    lines.push_back("; ZSNES input configuration\r\n");
    while (lines.size() < 20)
        lines.push_back("GameGenie" + std::to_string(lines.size()) + "=0\r\n");
    const std::vector<std::pair<std::string, std::string>> p1{
        {"selk", "54"},   {"startk", "28"},  {"upk", "200"}, {"downk", "208"},
        {"leftk", "203"}, {"rightk", "205"}, {"Xk", "31"},   {"Ak", "45"},
        {"Lk", "30"},     {"Yk", "32"},      {"Bk", "44"},   {"Rk", "46"}};
    const std::vector<std::pair<std::string, std::string>> p2{
        {"selk", "296"},  {"startk", "297"}, {"upk", "259"}, {"downk", "258"},
        {"leftk", "257"}, {"rightk", "256"}, {"Xk", "290"},  {"Ak", "305"},
        {"Lk", "292"},    {"Yk", "291"},     {"Bk", "0"},    {"Rk", "293"}};
    lines.push_back(contrl1 + "\r\n");
    lines.push_back("pl1keybd=1\r\n");
    for (const auto& [key, value] : p1) lines.push_back("pl1" + key + "=" + value + "\r\n");
    while (lines.size() < 40) lines.push_back("pl1turbo" + std::to_string(lines.size()) + "=0\r\n");
    lines.push_back("pl2contrl=1\r\n");
    lines.push_back("pl2keybd=0\r\n");
    for (const auto& [key, value] : p2) lines.push_back("pl2" + key + "=" + value + "\r\n");
    lines.push_back("pl3contrl=0\r\n");
    return lines;
}

// The indexes of the lines in which `after` differs from `before` (both split at line feeds).
inline std::vector<std::size_t> changed_lines(const std::string& before, const std::string& after) {
    auto a = split_lines(before);
    auto b = split_lines(after);
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i)
        if (i >= a.size() || i >= b.size() || a[i] != b[i]) changed.push_back(i);
    return changed;
}

}  // namespace rx::test
