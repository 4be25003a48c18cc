// Screen 5: the game info screen.
#include "browser/screens/rx_game_info_input.h"
