// The account session with the service: the version check at start-up, login and logout.
#include "browser/core/session.h"

namespace rx {

// Placeholders until the session exchanges with the web host are written; the start-up and
// shutdown paths already call them at the right moments.
bool login() {
    return false;
}

void logout() {}

bool check_version() {
    return false;
}

}  // namespace rx
