// Screen 4: the game list's fetching, paging and drawing.
#include "browser/screens/rx_system_input.h"
