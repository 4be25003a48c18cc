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

struct z_stream_s;

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

// Inflates a zlib stream as its pieces arrive, into one block of at most `limit` bytes, so the
// image is ready when the last piece is in and no compressed copy is ever held.
class stream_inflater {
  public:
    explicit stream_inflater(std::size_t limit);
    ~stream_inflater();
    stream_inflater(const stream_inflater&) = delete;
    stream_inflater& operator=(const stream_inflater&) = delete;

    bool allocated() const { return out_ != nullptr; }
    // Bytes after the end of the stream are received but ignored, as uncompress would.
    void feed(const std::uint8_t* data, std::size_t size);
    // The image once the stream ended whole; none when it was corrupt, cut short or too large.
    std::optional<game_image> finish();

  private:
    std::size_t limit_;
    std::uint8_t* out_;
    std::unique_ptr<z_stream_s> stream_;  // zlib's own type, kept out of this header
    bool ended_ = false;
    bool failed_ = false;
};

// Opens the game and receives its compressed image, inflating each piece as it arrives into at most
// `inflate_limit` bytes; none when the stream is corrupt, cut short or would be larger.
// `max_compressed` bounds the size the server may announce, so a wild number cannot ask for
// gigabytes. `overlap` false inflates after the last byte instead of on a worker thread while the
// bytes arrive: the same image, by the same steps every time (what a fuzz run needs to repeat).
std::optional<game_image> download_game(game_channel& channel, session_observer& observer,
                                        std::string_view game_name, std::size_t inflate_limit,
                                        std::size_t max_compressed, bool overlap = true);

// How the last store ended, as the emulator reads it (the numbers are part of the exports).
enum class save_outcome : std::int32_t {
    none = 0,        // nothing stored yet
    stored = 1,      // the server confirmed it kept the bytes
    failed = 2,      // no connection, a step failed or no confirmation came: unknown whether kept
    refused = 3,     // the server said it did not keep them (size, name or its own write)
    taken_over = 4,  // the same account plays this game on another computer now
    not_sent = 5,    // nothing to send: no file, an empty one or one larger than a save may be
};

// The server's words for a store it refused because a newer play of the game took over.
inline constexpr std::string_view taken_over_reply = "Continued on another computer.";

// Uploads one save: with a play id first "pl" and the id (a server that does not know the command
// answers something else and the store goes on), then "sv", its size, its name, the bytes, "cl",
// and the server's confirmation.
save_outcome save_exchange(game_channel& channel, session_observer& observer,
                           std::string_view file_name, const std::uint8_t* data, std::size_t size,
                           std::string_view play_id = {});

// How the last load ended (the numbers are part of the exports). Only `whole` says what the server
// holds: a save of `size` bytes, 0 meaning none.
enum class load_outcome : std::int32_t {
    none = 0,
    whole = 1,
    failed = 2,     // nothing announced: the connection, the login or a step failed
    cut = 3,        // fewer bytes arrived than announced
    too_large = 4,  // larger than the load buffer; read and dropped
};

// Downloads one save into `buffer` (capacity `capacity`): "ld", the name, "ok", the size, "ok", the
// bytes, "cl". `size` is the size to report once the server has announced one: the announced size,
// or 0 when the save does not fit the buffer (its bytes are then read and dropped). `completed` is
// true when every step down to "cl" was made.
struct load_result {
    std::optional<std::uint32_t> size;
    bool completed = false;
    load_outcome outcome = load_outcome::failed;
};
load_result load_exchange(game_channel& channel, session_observer& observer,
                          std::string_view file_name, std::uint8_t* buffer, std::size_t capacity);

}  // namespace rx::lib
