// Screen 3: the news screen.
#include "browser/screens/rx_news_input.h"
