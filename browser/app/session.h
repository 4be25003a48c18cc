// The account session with the service: the version check at start-up, login and logout.
#pragma once

namespace rx {

// Logs in with the login screen's name and password; true when the account kind is not 0.
bool login();
// Tells the service that the name in the login screen's user-name box has left.
void logout();
// Asks for the served version; ends the process after starting the updater when a newer one exists.
bool check_version();

}  // namespace rx
