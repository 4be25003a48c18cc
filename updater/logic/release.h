// Release numbers, expiry dates and the program folder's record of the releases it installed: what
// keeps an older or stale update from being installed again. Nothing here needs libsodium, so the
// browser can read the record too.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rx::updater {

// The file in the program folder that holds, per location, the highest release installed. No update
// entry may name it, so only the updater itself ever writes it.
inline constexpr std::string_view release_record_name = "installed_releases.txt";
// A signature is good for this many days unless the operator says otherwise.
inline constexpr int default_validity_days = 365;
// Release numbers are at most this many digits, so every one fits the counter.
inline constexpr std::size_t max_release_digits = 18;

// A release number as the service writes it: digits only, no leading zero, above 0.
std::optional<std::uint64_t> parse_release(std::string_view text);

// "YYYY-MM-DD" (a real date from 1970 on) as days since 1970-01-01.
std::optional<std::int64_t> parse_date(std::string_view text);
std::string format_date(std::int64_t days);
// Today in UTC as days since 1970-01-01.
std::int64_t today();

// The release the record names for `location`, 0 when none. Lines the updater did not write are
// passed over.
std::uint64_t recorded_release(std::string_view record, std::string_view location);
// The record with `location` at `release`, every other location kept as it was.
std::string with_release(std::string_view record, std::string_view location, std::uint64_t release);

// The key updates must be signed with once an update handed it over: 64 hex digits, or "" while
// the key built into the updater still holds. It lives in the record, on a line no location can
// have.
std::string trusted_key_hex(std::string_view record);
std::string with_trusted_key(std::string_view record, std::string_view key_hex);

// The "release N" line of a signature reply, read without checking the signature: what the
// browser asks before it hands over, while the updater itself trusts only a checked one.
std::optional<std::uint64_t> offered_release(std::string_view signature_reply);

}  // namespace rx::updater
