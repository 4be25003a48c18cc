// Texts of the account session and the browser's outside starts: request targets, reply fields,
// URLs.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace rx {

// What the updater is told this client is, and the highest served version that does not start an
// update.
inline constexpr std::string_view built_in_version = "v4.30";
inline constexpr double update_threshold = 4.29;

// Emulators and web pages are promised at most this many bytes of parameter or URL text.
inline constexpr std::size_t launch_text_limit = 511;

// The wide text as the service and the emulators receive it: one byte per character (the text boxes
// only accept Latin-1), '?' for anything beyond, so a name never turns into a truncated or empty
// request.
std::string narrow_text(std::wstring_view text);

// Request targets; values are inserted as typed, without URL encoding.
std::string login_target(std::wstring_view user_name, std::wstring_view password);
std::string logout_target(std::wstring_view user_name);
inline constexpr std::string_view version_target = "/browser/current_version.php";

// The digit just before the first "||EOL" that stands after the reply's first character; none
// without one.
std::optional<int> parse_account_kind(std::string_view reply);

// The text between the reply's first "||" and the next "||"; none when either is missing.
std::optional<std::string> parse_version(std::string_view reply);

// True when the served version is numerically above the threshold.
bool update_due(std::string_view version);

// " <fullscreen> <version text>", leading blank included.
std::string update_parameters(int fullscreen, std::string_view version_text);

// Web pages; `authority` is "host" or "host:port".
std::string signup_url(std::string_view web_authority);
std::string account_url(std::string_view web_authority, std::wstring_view user_name,
                        std::wstring_view password);
std::string facebook_authorisation_url(std::string_view social_authority,
                                       std::wstring_view user_name);
std::string facebook_status_url(std::string_view social_authority, std::wstring_view user_name);

}  // namespace rx
