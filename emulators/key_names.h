// Names of DirectInput keyboard codes (set 1 scan codes, extended keys + 128), both ways.
#pragma once
#include <string>
#include <string_view>

namespace rx {

// "Left Ctrl" for 29; a code without a name gives its decimal number ("55").
std::string key_std_name(int code);

// The first code (in code order) whose name is exactly `name`, so "Enter" gives 28, never 156;
// 0 when no name matches (a bare number is not turned back into its code). For MEKA's file, which
// keeps its keys by name.
int key_code_of(std::string_view name);

}  // namespace rx
