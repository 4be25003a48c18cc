// The one table between the key codes the settings files store (DirectInput's, as key_names.h
// names them) and the SDL 1.2 key symbols that press them. The symbols are SDLK_* values written
// out, so the table needs no SDL.
#pragma once
#include <vector>

namespace rx {

// Every SDL key symbol that plays `code`, in symbol order; empty for a code no key reaches (a code
// without a name, a function key the capture box does not take).
std::vector<int> key_syms_of_code(int code);

// The code a capture stores for SDL key symbol `sym`: the lowest code the symbol plays, so either
// Enter key is stored as 28, the main Enter. 0 for a symbol no code is played by (function keys,
// most keypad keys, the shifted symbols some keyboard layouts send), which captures nothing.
int key_code_of_sym(int sym);

}  // namespace rx
