// What play sends: the emulator's launch argument and the social-network status request path.
#pragma once
#include <string>

namespace rx::catalogue {

// scheme + user + ":" + password + "@" + emulator host + "/" + game id; nothing is escaped, and the
// game id is widened byte by byte.
std::wstring launch_argument(const std::wstring& scheme, const std::wstring& user_name,
                             const std::wstring& password, const std::string& emulator_host,
                             const std::string& game_id);

// The status request's path with every blank replaced by "_", cut to the 511 bytes its buffer
// holds.
std::string status_path(const std::wstring& user_name, const std::string& title,
                        const std::string& display_name, const std::string& web_site);

}  // namespace rx::catalogue
