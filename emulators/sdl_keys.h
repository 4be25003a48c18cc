// The one table between the key codes the settings files store (DirectInput's, as key_names.h
// names them) and the SDL 1.2 key symbols that press them. The symbols are SDLK_* values written
// out, so the table needs no SDL.
#pragma once
#include <vector>

namespace rx {

// Every SDL key symbol that plays `code`, in symbol order; empty for a code no key reaches (a code
// without a name, a function key the capture box does not take).
std::vector<int> key_syms_of_code(int code);

}  // namespace rx
