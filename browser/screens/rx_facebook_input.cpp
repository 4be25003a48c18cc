// Screen 17: the Facebook permission screen.
#include "browser/screens/rx_facebook_input.h"
