// Building the emulator launch argument and the status request path.
#include "browser/screens/logic/launch.h"

#include <algorithm>

#include "browser/base/logic/session_text.h"

namespace rx::catalogue {

std::wstring launch_argument(const std::wstring& scheme, const std::wstring& user_name,
                             const std::wstring& password, const std::string& emulator_host,
                             const std::string& game_id) {
    std::wstring argument = scheme + user_name + L":" + password + L"@";
    for (unsigned char c : emulator_host) argument += static_cast<wchar_t>(c);
    argument += L"/";
    for (unsigned char c : game_id) argument += static_cast<wchar_t>(c);
    return argument;
}

std::string status_path(const std::wstring& user_name, const std::string& title,
                        const std::string& display_name, const std::string& web_site) {
    std::string path = "/browser/status_update.php?username=" + narrow_text(user_name) +
                       "&current_status=is playing " + title + " for the " + display_name + " at " +
                       web_site + "&end=1";
    if (path.size() > 511) path.resize(511);
    std::replace(path.begin(), path.end(), ' ', '_');
    return path;
}

}  // namespace rx::catalogue
