// The table between key codes and SDL key symbols: the keys that play a code are the ones captured
// as it, and either Enter plays either Enter code.
#include "emulators/sdl_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SdlKeys, CodesLeadToTheirKeys) {
    // SDLK_* values: Return 13, keypad Enter 271, a 97, A 65, Up 273, keypad 7 263.
    const struct {
        int code;
        std::vector<int> syms;
    } rows[] = {
        {28, {13, 271}}, {156, {13, 271}}, {30, {65, 97}}, {200, {273}},
        {71, {263}},     {54, {303}},      {55, {}},       {59, {}},  // no name; F1 not captured
        {0, {}},         {-1, {}},         {300, {}},
    };
    for (const auto& row : rows) EXPECT_EQ(rx::key_syms_of_code(row.code), row.syms) << row.code;
}

// A capture goes back through the same table: every key of a code is captured as that code, but
// both Enters as 28, and a symbol the table lacks captures nothing.
TEST(SdlKeys, EveryKeyOfACodeIsCapturedAsThatCode) {
    for (int code = 1; code < 256; ++code) {
        for (int sym : rx::key_syms_of_code(code))
            EXPECT_EQ(rx::key_code_of_sym(sym), code == 156 ? 28 : code) << code << " " << sym;
    }
    // SDLK_* values: exclaim 33, keypad minus 269, F1 282, Escape 27, none 0.
    for (int sym : {33, 269, 282, 27, 0, -1, 400}) EXPECT_EQ(rx::key_code_of_sym(sym), 0) << sym;
}

}  // namespace
