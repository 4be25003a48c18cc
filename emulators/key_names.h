// Names of DirectInput keyboard codes (set 1 scan codes, extended keys + 128), both ways.
#pragma once
#include <string>
#include <string_view>

namespace rx {

// "Left Ctrl" for 29; a code without a name gives its decimal number ("55").
std::string key_std_name(int code);

// The first code (in code order) whose name is exactly `name`, as decimal text; "0" when none is,
// so "Enter" gives "28", never "156", and a bare number is not turned back into its code.
std::string key_emu_name(std::string_view name);

// The same look-up as a number: 0 when no name matches.
int key_code_of(std::string_view name);

}  // namespace rx
