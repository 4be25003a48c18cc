// DirectInput key codes to the SDL 1.2 key symbols that press them, and back for a capture.
#include "emulators/sdl_keys.h"

#include <algorithm>
#include <array>

namespace rx {

namespace {

struct code_sym {
    int code;
    int sym;
};

// Letters come as SDL's lower-case symbols and, with some keyboard layouts, upper-case ones. Both
// Enter keys play either Enter code (28 the main one, 156 the keypad's): the controls screens show
// both as "Enter" and store 28, so a player cannot tell which one a file holds.
constexpr std::array<code_sym, 109> table{{
    {2, 49},    {3, 50},    {4, 51},    {5, 52},    {6, 53},    {7, 54},    {8, 55},    {9, 56},
    {10, 57},   {11, 48},   {12, 45},   {13, 61},   {14, 8},    {15, 9},    {16, 81},   {16, 113},
    {17, 87},   {17, 119},  {18, 69},   {18, 101},  {19, 82},   {19, 114},  {20, 84},   {20, 116},
    {21, 89},   {21, 121},  {22, 85},   {22, 117},  {23, 73},   {23, 105},  {24, 79},   {24, 111},
    {25, 80},   {25, 112},  {26, 91},   {27, 93},   {28, 13},   {28, 271},  {29, 306},  {30, 65},
    {30, 97},   {31, 83},   {31, 115},  {32, 68},   {32, 100},  {33, 70},   {33, 102},  {34, 71},
    {34, 103},  {35, 72},   {35, 104},  {36, 74},   {36, 106},  {37, 75},   {37, 107},  {38, 76},
    {38, 108},  {39, 59},   {40, 39},   {41, 96},   {42, 304},  {43, 92},   {44, 90},   {44, 122},
    {45, 88},   {45, 120},  {46, 67},   {46, 99},   {47, 86},   {47, 118},  {48, 66},   {48, 98},
    {49, 78},   {49, 110},  {50, 77},   {50, 109},  {51, 44},   {52, 46},   {53, 47},   {54, 303},
    {56, 308},  {57, 32},   {58, 301},  {69, 300},  {71, 263},  {72, 264},  {73, 265},  {75, 260},
    {76, 261},  {77, 262},  {78, 270},  {79, 257},  {80, 258},  {81, 259},  {82, 256},  {156, 13},
    {156, 271}, {157, 305}, {184, 307}, {199, 278}, {200, 273}, {201, 280}, {203, 276}, {205, 275},
    {207, 279}, {208, 274}, {209, 281}, {210, 277}, {211, 127},
}};

}  // namespace

std::vector<int> key_syms_of_code(int code) {
    std::vector<int> syms;
    for (const code_sym& row : table)
        if (row.code == code) syms.push_back(row.sym);
    std::sort(syms.begin(), syms.end());
    return syms;
}

int key_code_of_sym(int sym) {
    // The table is in code order, so the first row naming the symbol holds its lowest code.
    for (const code_sym& row : table)
        if (row.sym == sym) return row.code;
    return 0;
}

}  // namespace rx
