// Screen 1: the login screen's widgets and keyboard focus.
#include "browser/screens/rx_login_input.h"
