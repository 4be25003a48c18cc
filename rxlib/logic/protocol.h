// The game server's token protocol and the web host's session requests, as bytes and texts without
// any I/O.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rx::lib {

// One reply of the game server is one receive of at most this many bytes less the terminating NUL.
inline constexpr std::size_t reply_buffer_size = 256;
// Requests to the web host, including their terminating NUL, and the receive size of their replies.
inline constexpr std::size_t http_buffer_size = 512;
// The largest inflated game image that is taken.
inline constexpr std::size_t inflate_limit = 64u * 1024u * 1024u;
// Save files in both directions: large enough for every console's battery or flash save.
inline constexpr std::size_t save_buffer_size = 1024u * 1024u;
// Largest receive of the game download (curl's own buffer size); progress and window events are
// serviced after each. Each receive costs two system calls, which at 4 KiB per receive held
// loopback transfers to a fraction of what the link carries; a receive returns what has arrived, so
// a slow link still updates the window as often.
inline constexpr std::uint32_t download_chunk = 16384;
// A save file's full path must fit the system's classic path limit.
inline constexpr std::size_t path_buffer_size = 260;
// The private-range address every login names as the client's.
inline constexpr std::string_view client_address_token = "192.168.1.100";

// The text of one reply: the received bytes up to the first NUL.
std::string reply_text(const char* bytes, std::size_t count);

// The leading decimal number of a reply (after optional blanks); none when it has no digits or
// overflows 32 bits.
std::optional<std::uint32_t> leading_number(std::string_view reply);

enum class login_reply { ok, in_use, refused, other };
login_reply classify_login_reply(std::string_view reply);
inline constexpr std::string_view in_use_reply = "Username in use login again to clear.";
inline constexpr std::string_view refused_reply = "Incorrect Username or Password";

// "received/total", both unsigned decimal.
std::string progress_line(std::uint32_t received, std::uint32_t total);

// Left edge of the bar's window into the strip: `width` before the first byte, 0 once everything
// has arrived.
int bar_offset(int width, std::uint32_t received, std::uint32_t total);

// The x of a progress line centred on `centre` at 12 pixels per character.
int progress_line_x(int centre, std::size_t length);

enum class web_request { assert_alive, free_game, check_connection };

// The request text for the web host (without its NUL); none when it and its NUL would not fit the
// 512-byte buffer.
std::optional<std::string> build_web_request(web_request kind, std::string_view user_name,
                                             std::string_view session_id,
                                             std::string_view host_name);

// The monitor's rule: the first character after the reply's last LF (or its first character) must
// be "1".
bool connection_reply_ok(std::string_view reply);

// Full path of a save file, or none when it would not fit the path buffer (with its NUL).
std::optional<std::string> save_path(std::string_view folder, std::string_view file_name);

}  // namespace rx::lib
