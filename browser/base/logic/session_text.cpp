// Request targets, reply fields and URLs of the account session and of the pages the browser opens.
#include "browser/base/logic/session_text.h"

#include <cstdlib>

namespace rx {

std::string narrow_text(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        const auto code = static_cast<unsigned long>(c);
        out += code > 0 && code <= 0xff ? static_cast<char>(static_cast<unsigned char>(code)) : '?';
    }
    return out;
}

std::string login_target(std::wstring_view user_name, std::wstring_view password) {
    return "/browser/checkuser.php?username=" + narrow_text(user_name) +
           "&password=" + narrow_text(password);
}

std::string logout_target(std::wstring_view user_name) {
    return "/browser/logout.php?username=" + narrow_text(user_name);
}

std::optional<int> parse_account_kind(std::string_view reply) {
    const std::size_t marker = reply.find("||EOL", 1);
    if (marker == std::string_view::npos) return std::nullopt;
    const char digit[2] = {reply[marker - 1], '\0'};
    return std::atoi(digit);
}

std::optional<std::string> parse_version(std::string_view reply) {
    const std::size_t first = reply.find("||");
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t start = first + 2;
    const std::size_t next = reply.find("||", start);
    if (next == std::string_view::npos) return std::nullopt;
    return std::string(reply.substr(start, next - start));
}

bool update_due(std::string_view version) {
    const std::string text(version);
    return std::atof(text.c_str()) > update_threshold;
}

std::string update_parameters(int fullscreen, std::string_view version_text) {
    return " " + std::to_string(fullscreen ? 1 : 0) + " " + std::string(version_text);
}

std::string signup_url(std::string_view web_authority) {
    return "http://" + std::string(web_authority) + "/signup.html";
}

std::string account_url(std::string_view web_authority, std::wstring_view user_name,
                        std::wstring_view password) {
    return "http://" + std::string(web_authority) +
           "/myaccount.html?username=" + narrow_text(user_name) +
           "&password=" + narrow_text(password);
}

std::string facebook_authorisation_url(std::string_view social_authority,
                                       std::wstring_view user_name) {
    return "http://" + std::string(social_authority) +
           "/rx_status_update/?username=" + narrow_text(user_name) + "&authorize=1";
}

std::string facebook_status_url(std::string_view social_authority, std::wstring_view user_name) {
    return "http://" + std::string(social_authority) +
           "/rx_status_update/?username=" + narrow_text(user_name);
}

}  // namespace rx
