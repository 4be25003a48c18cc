// The keyboard code name table shared by the settings codecs.
#include "emulators/key_names.h"

#include <array>
#include <utility>

namespace rx {

namespace {

struct named_code {
    int code;
    const char* name;
};

// In code order, so the reverse look-up finds 28 before 156 for "Enter".
constexpr std::array<named_code, 93> key_table{{
    {2, "1"},
    {3, "2"},
    {4, "3"},
    {5, "4"},
    {6, "5"},
    {7, "6"},
    {8, "7"},
    {9, "8"},
    {10, "9"},
    {11, "0"},
    {12, "-"},
    {13, "="},
    {14, "Backspace"},
    {15, "Tab"},
    {16, "Q"},
    {17, "W"},
    {18, "E"},
    {19, "R"},
    {20, "T"},
    {21, "Y"},
    {22, "U"},
    {23, "I"},
    {24, "O"},
    {25, "P"},
    {26, "["},
    {27, "]"},
    {28, "Enter"},
    {29, "Left Ctrl"},
    {30, "A"},
    {31, "S"},
    {32, "D"},
    {33, "F"},
    {34, "G"},
    {35, "H"},
    {36, "J"},
    {37, "K"},
    {38, "L"},
    {39, ";"},
    {40, "'"},
    {41, "`"},
    {42, "Left Shift"},
    {43, "\\"},
    {44, "Z"},
    {45, "X"},
    {46, "C"},
    {47, "V"},
    {48, "B"},
    {49, "N"},
    {50, "M"},
    {51, ","},
    {52, "."},
    {53, "/"},
    {54, "Right Shift"},
    {56, "Left Alt"},
    {57, "Space"},
    {58, "Caps"},
    {59, "F1"},
    {60, "F2"},
    {61, "F3"},
    {62, "F4"},
    {63, "F5"},
    {64, "F6"},
    {65, "F7"},
    {66, "F8"},
    {67, "F9"},
    {68, "F10"},
    {69, "Num Lock"},
    {71, "7 (Pad)"},
    {72, "8 (Pad)"},
    {73, "9 (Pad)"},
    {75, "4 (Pad)"},
    {76, "5 (Pad)"},
    {77, "6 (Pad)"},
    {78, "Plus (Pad)"},
    {79, "1 (Pad)"},
    {80, "2 (Pad)"},
    {81, "3 (Pad)"},
    {82, "0 (Pad)"},
    {87, "F11"},
    {88, "F12"},
    {156, "Enter"},
    {157, "Right Ctrl"},
    {184, "Right Alt"},
    {199, "Home"},
    {200, "Up"},
    {201, "Page Up"},
    {203, "Left"},
    {205, "Right"},
    {207, "End"},
    {208, "Down"},
    {209, "Page Down"},
    {210, "Insert"},
    {211, "Del"},
}};

}  // namespace

std::string key_std_name(int code) {
    for (const auto& entry : key_table)
        if (entry.code == code) return entry.name;
    return std::to_string(code);
}

int key_code_of(std::string_view name) {
    for (const auto& entry : key_table)
        if (name == entry.name) return entry.code;
    return 0;
}

}  // namespace rx
