// The game server conversations (log in, session id, open game, save, load) over an abstract
// connection.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rx::lib {

// One open connection to the game server; the real one speaks TCP, tests script one.
class game_channel {
  public:
    virtual ~game_channel() = default;
    // Sends text + NUL in one send; logs its own failure, naming the token.
    virtual bool send_token(std::string_view text) = 0;
    // The same for the password, whose failure is logged without its text.
    virtual bool send_secret(std::string_view text) = 0;
    // One receive of at most 255 bytes, read as text up to its first NUL; none on failure (logged).
    virtual std::optional<std::string> receive_reply() = 0;
    // Sends raw bytes; false unless all were sent.
    virtual bool send_bytes(const std::uint8_t* data, std::size_t size) = 0;
    // Receives at most `size` raw bytes: the count, 0 when the peer closed, -1 on error or
    // time-out.
    virtual long receive_bytes(std::uint8_t* data, std::size_t size) = 0;
};

// What the conversations tell the loading window and the log.
class session_observer {
  public:
    virtual ~session_observer() = default;
    virtual void status(std::string_view) {}
    virtual void show_progress() {}
    virtual void progress(std::uint32_t /*received*/, std::uint32_t /*total*/) {}
    virtual void wait_ms(unsigned) {}
    virtual void log(std::string_view) {}
    // The network layer's last error text, logged after some failures.
    virtual std::string error_text() { return {}; }
};

// Unexpected answers to the password after which the login gives up.
inline constexpr int max_login_restarts = 100;

// Logs in with user name and password; with `fetch_session_id` also asks for the session id and
// stores it.
bool login(game_channel& channel, session_observer& observer, std::string_view user_name,
           std::string_view password, bool fetch_session_id, std::string& session_id);

// An inflated game image in a block of its own size (released with std::free).
struct game_image {
    std::unique_ptr<std::uint8_t, void (*)(void*)> data{nullptr, nullptr};
    std::uint32_t size = 0;
};

// Opens the game and receives its compressed image, inflating each piece as it arrives into at most
// `inflate_limit` bytes; none when the stream is corrupt, cut short or would be larger.
// `max_compressed` bounds the size the server may announce, so a wild number cannot ask for
// gigabytes.
std::optional<game_image> download_game(game_channel& channel, session_observer& observer,
                                        std::string_view game_name, std::size_t inflate_limit,
                                        std::size_t max_compressed);

// Uploads one save: "sv", its size, its name, the bytes, "cl". False when a step failed.
bool save_exchange(game_channel& channel, session_observer& observer, std::string_view file_name,
                   const std::uint8_t* data, std::size_t size);

// Downloads one save into `buffer` (capacity `capacity`): "ld", the name, "ok", the size, "ok", the
// bytes, "cl". `size` is the size to report once the server has announced one: the announced size,
// or 0 when the save does not fit the buffer (its bytes are then read and dropped). `completed` is
// true when every step down to "cl" was made.
struct load_result {
    std::optional<std::uint32_t> size;
    bool completed = false;
};
load_result load_exchange(game_channel& channel, session_observer& observer,
                          std::string_view file_name, std::uint8_t* buffer, std::size_t capacity);

}  // namespace rx::lib
