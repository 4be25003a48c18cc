// Screen 2: the main menu's buttons and their artwork per account kind.
#include "browser/screens/rx_main_input.h"
